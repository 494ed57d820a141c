#include <QApplication>
#include <QDebug>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "core/config.h"
#include "core/displayinfo.h"
#include "core/resources.h"
#include "core/terminationsignals.h"
#include "klipora.h"
#include "widgets/retranslatable.h"

int main(int argc, char* argv[])
{
#ifdef __GLIBC__
    // Desktop-sized buffers come and go with every capture. A fixed threshold
    // keeps them in their own mappings, returned to the system when freed;
    // glibc would otherwise raise it to their size and keep them resident.
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
#endif
    // Plain raster windows: an OpenGL-capable surface would load the GL
    // driver stack (tens of MB resident) on the overlay's first show, and
    // nothing here draws with OpenGL.
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} (%{type}) %{file}:%{line}] %{message}"));

    DisplayInfo::instance();

    initResources();
    const QString menuSheet = readResourceText(QStringLiteral(":/qss/menu/menu.qss"));
    if (!menuSheet.isEmpty())
        app.setStyleSheet(menuSheet);

    const QString language = Config::instance().string(Config::Language);
    qInfo().noquote().nospace() << "LANGUAGE: " << language;
    trs::initLanguages();
    trs::loadLanguage(language);

    quitOnTerminationSignals();
    Klipora klipora;
    trs::retranslateAll();
    return app.exec();
}
