#pragma once

// The grid's display font (restored, chosen in the font dialog, stored, with the row height and
// column widths following its size), the document title the user edits, and the window caption.

#include <QFont>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace lh {

class CollectionView;
class Document;
class MessageBoxService;

class DisplayFontAndTitle final {
public:
    // The font dialog and the input box; tests put scripted stand-ins in place.
    using FontChooser = std::function<std::optional<QFont>(const QFont& current)>;
    using TextInput = std::function<std::optional<QString>(
        const QString& caption, const QString& prompt, const QString& text, int maxLength)>;

    DisplayFontAndTitle(QWidget& window, CollectionView& grid, Document& doc,
                        MessageBoxService& messages);

    void SetFontChooser(FontChooser chooser) { m_fontChooser = std::move(chooser); }
    void SetTextInput(TextInput input) { m_textInput = std::move(input); }

    // The font the font dialog starts with, which is the grid's font.
    const QFont& DisplayFont() const noexcept { return m_displayFont; }

    // The stored font and colour, at start-up.
    void RestoreDisplayFont();
    // Font, row height, title, column widths; the grid stays hidden until a document is set up.
    void SetUpTable();
    void ChooseFont();
    void EditTitle();
    void ApplyCaption(const std::string& caption);

private:
    void ApplyFontColor();

    QWidget& m_window;
    CollectionView& m_grid;
    Document& m_doc;
    MessageBoxService& m_messages;
    QFont m_displayFont;
    std::int32_t m_fontColor = 0;
    std::string m_fontName; // as stored: "System" stands for the toolkit's default face
    FontChooser m_fontChooser;
    TextInput m_textInput;
};

} // namespace lh
