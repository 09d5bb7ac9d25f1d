#include "JapaneseTranslator.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <cstring>

namespace lh {

namespace {

struct StandardText {
    const char* source;
    const char* japanese;
};

// Button texts of the toolkit's message boxes, button boxes and file dialogs, the file dialogs'
// titles, their folder type and the question before a file is replaced. The platform themes spell
// buttons with or without an access key, so both spellings are listed.
constexpr StandardText kStandardTexts[] = {
    {"&Yes", "はい(&Y)"},
    {"Yes", "はい"},
    {"&No", "いいえ(&N)"},
    {"No", "いいえ"},
    {"Cancel", "キャンセル"},
    {"&Cancel", "キャンセル"},
    {"Open", "開く"},
    {"&Open", "開く(&O)"},
    {"Save", "保存"},
    {"&Save", "保存(&S)"},
    {"Save As", "名前を付けて保存"},
    {"Folder", "フォルダー"},
    {"%1 already exists.\nDo you want to replace it?", "%1 は既に存在します。\n置き換えますか?"},
};

// Contexts of those texts; elsewhere the same English word may mean something else.
constexpr const char* kStandardContexts[] = {"QPlatformTheme",   "QGnomeTheme",
                                             "QFileDialog",      "QMessageBox",
                                             "QDialogButtonBox", "QAbstractFileIconProvider"};

} // namespace

JapaneseTranslator::JapaneseTranslator(QObject* parent)
    : QTranslator(parent), m_catalogue(std::make_unique<QTranslator>()) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    const QString folders[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
    };
    for (const QString& folder : folders)
        if (m_catalogue->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
            break;
}

JapaneseTranslator::~JapaneseTranslator() = default;

JapaneseTranslator* JapaneseTranslator::Install(QCoreApplication& app) {
    // The toolkit's dialogs also name file types and write dates and sizes in the default
    // locale's language; the program's own texts use the platform's locale formats, not this.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new JapaneseTranslator(&app);
    QCoreApplication::installTranslator(translator);
    return translator;
}

bool JapaneseTranslator::HasCatalogue() const {
    return !m_catalogue->isEmpty();
}

QString JapaneseTranslator::translate(const char* context, const char* sourceText,
                                      const char* disambiguation, int n) const {
    QString text = m_catalogue->translate(context, sourceText, disambiguation, n);
    if (text.isEmpty())
        text = FallbackText(context, sourceText);
    return text;
}

QString JapaneseTranslator::FallbackText(const char* context, const char* sourceText) {
    if (!context || !sourceText)
        return {};
    bool known = false;
    for (const char* c : kStandardContexts)
        known = known || std::strcmp(context, c) == 0;
    if (!known)
        return {};
    for (const StandardText& t : kStandardTexts)
        if (std::strcmp(sourceText, t.source) == 0)
            return QString::fromUtf8(t.japanese);
    return {};
}

} // namespace lh
