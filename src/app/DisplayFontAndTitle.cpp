#include "DisplayFontAndTitle.h"

#include "CollectionModel.h"
#include "CollectionView.h"
#include "RefusedCharacter.h"
#include "core/ColumnHeadings.h"
#include "core/DisplayFont.h"
#include "core/Document.h"
#include "core/TableLayout.h"
#include "core/UserInterface.h"
#include "dialogs/ProgramSettings.h"
#include "util/Codec.h"
#include "util/SettingKeys.h"

#include <QApplication>
#include <QFontDialog>
#include <QFontInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <algorithm>

namespace lh {

namespace {

constexpr const char* kSystemFaceName = "System";
constexpr const char* kTitlePrompt = "このHtmlﾌｧｲﾙのﾀｲﾄﾙを入力してください。";
constexpr int kTitleMaxLength = 255;

// The stored face name "System" stands for the toolkit's default face.
QString FaceFamily(const std::string& storedName) {
    if (storedName == kSystemFaceName)
        return QApplication::font().family();
    return QString::fromStdString(storedName);
}

// Sizes are whole points; a font given in pixels counts with the size it resolves to. A size
// beyond what the font dialog offers is taken as its largest, as a stored one is.
int PointSize(const QFont& font) {
    int size = font.pointSize();
    if (size <= 0)
        size = QFontInfo(font).pointSize();
    return size > 0 ? std::min(size, keys::kMaxFontSize) : keys::kFontSize.def;
}

std::optional<QFont> ChooseFontWithDialog(const QFont& current, QWidget* parent) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, current, parent);
    return ok ? std::optional<QFont>(font) : std::nullopt;
}

std::optional<QString> InputWithDialog(QWidget* parent, const QString& caption,
                                       const QString& prompt, const QString& text, int maxLength) {
    QInputDialog box(parent);
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    box.setTextValue(text);
    if (auto* edit = box.findChild<QLineEdit*>())
        edit->setMaxLength(maxLength);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

void SetGridFont(CollectionView* grid, const QFont& font) {
    grid->setFont(font);
    grid->horizontalHeader()->setFont(font);
    grid->verticalHeader()->setFont(font);
}

} // namespace

DisplayFontAndTitle::DisplayFontAndTitle(QWidget& window, CollectionView& grid, Document& doc,
                                         MessageBoxService& messages)
    : m_window(window), m_grid(grid), m_doc(doc), m_messages(messages) {}

void DisplayFontAndTitle::ApplyCaption(const std::string& caption) {
    // "[*]" is the toolkit's placeholder for its own modified mark; a file name may hold it.
    QString title = QString::fromStdString(caption);
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    m_window.setWindowTitle(title);
}

void DisplayFontAndTitle::SetUpTable() {
    const QFont& font = m_displayFont;
    SetGridFont(&m_grid, font);
    const int size = font.pointSize() > 0 ? font.pointSize() : keys::kFontSize.def;
    m_grid.SetDefaultRowHeight(RowHeightForFont(size));
    m_doc.SetDocumentTitle(Document::kDefaultTitle);
    m_grid.SetCornerText(CollectionModel::ToDisplay(kNumberHeading));
    for (int column = 0; column < kGridColumnCount; ++column)
        m_grid.SetColumnWidth(
            column, ColumnWidthFor(column, keys::kCell[column].Read(ProgramSettings()), size));
}

void DisplayFontAndTitle::RestoreDisplayFont() {
    const StoredFont stored = ReadStoredFont(ProgramSettings());
    m_fontColor = stored.color;
    m_fontName = stored.name;
    QFont font(FaceFamily(stored.name), stored.size);
    font.setBold(stored.bold);
    font.setItalic(stored.italic);
    font.setUnderline(stored.underline);
    font.setStrikeOut(stored.strikeOut);
    m_displayFont = font;
    ApplyFontColor();
}

void DisplayFontAndTitle::ApplyFontColor() {
    QPalette palette = m_grid.palette();
    if (IsSystemColor(m_fontColor)) {
        palette.setColor(QPalette::Text, QApplication::palette(&m_grid).color(QPalette::Text));
    } else {
        const auto rgb = static_cast<std::uint32_t>(m_fontColor);
        palette.setColor(QPalette::Text,
                         QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                                static_cast<int>((rgb >> 16) & 0xFF)));
    }
    m_grid.setPalette(palette);
}

void DisplayFontAndTitle::ChooseFont() {
    const int oldSize = PointSize(m_displayFont);
    const std::optional<QFont> chosen = m_fontChooser
                                            ? m_fontChooser(m_displayFont)
                                            : ChooseFontWithDialog(m_displayFont, &m_window);
    if (!chosen)
        return;
    QFont font = *chosen;
    const int newSize = PointSize(font);
    font.setPointSize(newSize);

    SetGridFont(&m_grid, font);
    m_grid.SetDefaultRowHeight(RowHeightForFont(newSize));
    for (int column = 0; column < kGridColumnCount; ++column)
        m_grid.SetColumnWidth(column,
                              RescaleColumnWidth(m_grid.ColumnWidth(column), newSize, oldSize));
    m_displayFont = font;

    // The dialog offers no colour, so the stored one is kept; the default face keeps its name.
    if (font.family() != FaceFamily(m_fontName))
        m_fontName = font.family().toStdString();
    StoredFont stored;
    stored.color = m_fontColor;
    stored.name = m_fontName;
    stored.size = newSize;
    stored.bold = font.bold();
    stored.italic = font.italic();
    stored.underline = font.underline();
    stored.strikeOut = font.strikeOut();
    WriteStoredFont(ProgramSettings(), stored);
}

void DisplayFontAndTitle::EditTitle() {
    const std::string& title = m_doc.DocumentTitle();
    const std::optional<std::string> decoded = SjisToUtf8(title);
    const QString shown = QString::fromStdString(decoded ? *decoded : SjisToUtf8Lossy(title));
    // A longer title from a loaded file is offered whole, never cut to the typing limit.
    const int maxLength = std::max<int>(kTitleMaxLength, static_cast<int>(shown.size()));
    const QString caption = QString::fromUtf8(kApplicationTitle);
    const QString prompt = QString::fromUtf8(kTitlePrompt);
    const std::optional<QString> entered =
        m_textInput ? m_textInput(caption, prompt, shown, maxLength)
                    : InputWithDialog(&m_window, caption, prompt, shown, maxLength);
    if (!entered || entered->isEmpty())
        return;
    // Unchanged text keeps the title's bytes, even where they do not decode cleanly.
    std::optional<std::string> bytes =
        *entered == shown ? std::optional<std::string>(title) : Utf8ToSjis(entered->toStdString());
    if (!bytes) {
        const std::optional<char32_t> refused = FirstUnencodableCharacter(*entered);
        m_messages.ShowMessageBox(RefusedTitleCharacterText(refused.value_or(U'\uFFFD')),
                                  std::string(), kWarningStyle);
        return;
    }
    m_doc.SetDocumentTitle(std::move(*bytes));
    m_doc.MarkModified();
}

} // namespace lh
