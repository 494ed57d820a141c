#include "widgets/apptabcontrol.h"

#include "widgets/apptabbar.h"

AppTabControl::AppTabControl(int tabWidth, int tabHeight, QWidget* parent)
    : QTabWidget(parent)
    , tabWidth_(tabWidth)
    , tabHeight_(tabHeight)
    , bar_(new AppTabBar(tabWidth, tabHeight, parent))
{
    bar_->setCursor(Qt::PointingHandCursor);
    setTabBar(bar_);
    setTabPosition(QTabWidget::West);
}

AppTabControl::AppTabControl(QWidget* parent)
    : AppTabControl(0, 0, parent)
{
}
