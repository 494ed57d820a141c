// Cost of the settings window: it is built during start-up, so its
// construction adds to the time before the tray icon appears; showing it and
// switching tabs should feel immediate.
#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/config.h"
#include "core/resources.h"
#include "widgets/apptabcontrol.h"
#include "widgets/colordialogbutton.h"
#include "widgets/retranslatable.h"
#include "widgets/settingwindow.h"

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    initResources();
    trs::initLanguages();
    Config::instance();
    // the login entry is written on every build; keep it out of the way
    Config::instance().set(Config::AutoRun, false);

    std::vector<double> build, firstShow, tabSwitch;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer t;
        t.start();
        auto* window = new SettingWindow;
        build.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        window->show();
        QElapsedTimer wait;
        wait.start();
        while (!(window->windowHandle() && window->windowHandle()->isExposed()) && wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        window->grab(); // a full paint, as the first frame needs
        firstShow.push_back(t.nsecsElapsed() / 1e6);

        for (int tab = 1; tab < 6; ++tab) {
            t.restart();
            window->tabs()->setCurrentIndex(tab);
            window->repaint();
            tabSwitch.push_back(t.nsecsElapsed() / 1e6);
        }
        delete window;
        QCoreApplication::processEvents();
    }
    // the six colour buttons each build their dialog up front
    std::vector<double> colors;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer t;
        t.start();
        std::vector<ColorDialogButton*> buttons;
        for (int b = 0; b < 6; ++b)
            buttons.push_back(new ColorDialogButton(Qt::red));
        colors.push_back(t.nsecsElapsed() / 1e6);
        for (auto* b : buttons)
            delete b;
    }
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("construct     median %.2f ms  max %.2f ms\n", median(build), *std::max_element(build.begin(), build.end()));
    std::printf("show+paint    median %.2f ms  max %.2f ms\n", median(firstShow),
                *std::max_element(firstShow.begin(), firstShow.end()));
    std::printf("tab switch    median %.2f ms  max %.2f ms\n", median(tabSwitch),
                *std::max_element(tabSwitch.begin(), tabSwitch.end()));
    std::printf("6 colour buttons median %.2f ms\n", median(colors));
    return 0;
}
