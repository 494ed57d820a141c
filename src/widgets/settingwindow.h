#pragma once

#include <QWidget>

#include "core/config.h"

#include <functional>
#include <vector>

#include "widgets/retranslatable.h"

class AppTabControl;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
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
    // Names and texts are untranslated sources; the window sets them again
    // in the new language at every change.
    QWidget* newPage(const char* name, QGridLayout** grid);
    QLabel* newLabel(const char* source, QWidget* page, const char* name = nullptr);
    void keepTranslated(std::function<void()> apply);
    void buildGeneral();
    void buildAppearance(Config::Section section, const char* name);
    void buildShortcuts();
    void buildAbout();
    void alignAppearancePages();
    QString chooseFolder(const QString& current);
    // Lists the sound sources as they are now, the saved choice selected.
    void refreshAudioSources();

    Config& config_;
    TitleBar* titleBar_ = nullptr;
    AppTabControl* tabs_ = nullptr;
    QCheckBox* autoRun_ = nullptr;
    QCheckBox* microphone_ = nullptr;
    QComboBox* audioSource_ = nullptr;
    bool placed_ = false;
    std::vector<std::function<void()>> retranslators_;
    std::vector<QGridLayout*> appearanceGrids_;
    int selectPathWidth_ = 0;
};
