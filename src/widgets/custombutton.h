#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPainter>

// A self-painted button: a background and a foreground colour for each of the
// normal, hovered and checked states; subclasses paint the content in the
// current foreground colour.
class CustomButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit CustomButton(QWidget* parent = nullptr);
    CustomButton(const QSize& size, bool checkable, QWidget* parent = nullptr);

    // State colours; whoever builds the button sets them before showing it.
    QColor currentForeground{ 56, 56, 56 };
    QColor normalForeground{ 56, 56, 56 };
    QColor hoverForeground{ 56, 56, 56 };
    QColor checkedForeground{ 56, 56, 56 };

    QColor currentBackground{ Qt::transparent };
    QColor normalBackground{ Qt::transparent };
    QColor hoverBackground{ Qt::transparent };
    QColor checkedBackground{ Qt::transparent };

    static QColor disabledVeil() { return { 200, 200, 200, 150 }; }

protected:
    virtual void drawContent(QPainter* painter) = 0;

    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void useColors(const QColor& foreground, const QColor& background);

    QPainter painter_;
};
