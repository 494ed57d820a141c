#pragma once

#include <QTabBar>

// A tab bar for the west side whose tabs have a fixed size and whose labels
// read horizontally instead of running up the side.
class AppTabBar : public QTabBar
{
    Q_OBJECT
public:
    AppTabBar(int tabWidth, int tabHeight, QWidget* parent = nullptr);

protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    int tabWidth_;
    int tabHeight_;
};
