#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace trevok
{

QTranslator* InstallQtTranslations(int language)
{
    const char* code = language == 0 ? "de" : language == 2 ? "fr" : nullptr;
    if (!code || !QCoreApplication::instance())
        return nullptr;
    auto* translator = new QTranslator(QCoreApplication::instance());
    // qtbase holds the dialogs and buttons; its file pulls in nothing else we show.
    if (!translator->load(QStringLiteral("qtbase_") + QLatin1String(code),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

} // namespace trevok
