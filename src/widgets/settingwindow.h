#pragma once

#include <QWidget>

#include "core/config.h"
#include "widgets/retranslatable.h"

class AppTabControl;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class TitleBar;

// The window in which the user edits the configuration. Every control writes
// its key the moment it changes and announces it through Config::changed:
// there is no OK or Apply.
class SettingWindow : public QWidget, public Retranslatable
{
    Q_OBJECT
public:
    explicit SettingWindow(QWidget* parent = nullptr);

    void retranslate() override;

    TitleBar* titleBar() const { return titleBar_; }
    QCheckBox* microphoneBox() const { return microphone_; }
    QComboBox* audioSourceBox() const { return audioSource_; }
    AppTabControl* tabs() const { return tabs_; }

    // "1.0.1.1932"
    static QString versionText();
    static const char* homeUrl();
    static const char* communityUrl();

public slots:
    void setAutoRun(int state);
    void selectVideoPath(QLineEdit* editer);
    void selectGifPath(QLineEdit* editer);
    void executeUpdate();
    void openmainUrl(QString url);
    void openQQUrl(QString url);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* newPage(const QString& name, QGridLayout** grid);
    void buildGeneral();
    void buildAppearance(Config::Section section, const QString& name);
    void buildShortcuts();
    void buildAbout();
    QString chooseFolder();
    // Lists the sound sources as they are now, the saved choice selected.
    void refreshAudioSources();

    Config& config_;
    TitleBar* titleBar_ = nullptr;
    AppTabControl* tabs_ = nullptr;
    QCheckBox* autoRun_ = nullptr;
    QCheckBox* microphone_ = nullptr;
    QComboBox* audioSource_ = nullptr;
    bool placed_ = false;
};
