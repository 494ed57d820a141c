#pragma once

#include <QTabWidget>

class AppTabBar;

// A tab widget with its tabs in a column on the left, labels upright.
class AppTabControl : public QTabWidget
{
    Q_OBJECT
public:
    AppTabControl(int tabWidth, int tabHeight, QWidget* parent = nullptr);
    explicit AppTabControl(QWidget* parent = nullptr);

    AppTabBar* appTabBar() const { return bar_; }

private:
    int tabWidth_;
    int tabHeight_;
    AppTabBar* bar_;
};
