#include <QApplication>
#include <QDebug>

#include "core/config.h"
#include "core/displayinfo.h"
#include "core/resources.h"
#include "core/terminationsignals.h"
#include "klipora.h"
#include "widgets/retranslatable.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} (%{type}) %{file}:%{line}] %{message}"));

    DisplayInfo::instance();

    initResources();
    const QString menuSheet = readResourceText(QStringLiteral(":/qss/menu/menu.qss"));
    if (!menuSheet.isEmpty())
        app.setStyleSheet(menuSheet);

    const QString language = jsonString(Config::instance()["language"]);
    qInfo().noquote().nospace() << "LANGUAGE: " << language;
    trs::initLanguages();
    trs::loadLanguage(language);

    quitOnTerminationSignals();
    Klipora klipora;
    trs::retranslateAll();
    return app.exec();
}
