#pragma once

// The toolkit's own dialogs (message-box buttons, file and font dialogs) speak Japanese like the
// rest of the program, whatever the user's locale: the toolkit's Japanese catalogue where it is
// installed, and the Japanese button texts where the catalogue is missing or has no entry.

#include <QTranslator>
#include <memory>

class QCoreApplication;

namespace lh {

class JapaneseTranslator final : public QTranslator {
    Q_OBJECT
public:
    explicit JapaneseTranslator(QObject* parent = nullptr);
    ~JapaneseTranslator() override;

    // Loads the catalogue ("qtbase_ja") from the toolkit's translations folder or from a
    // "translations" folder beside the program, and installs the translator on `app`.
    static JapaneseTranslator* Install(QCoreApplication& app);

    bool HasCatalogue() const;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText,
                      const char* disambiguation = nullptr, int n = -1) const override;

    // The Japanese text for one of the standard button texts, or an empty text.
    static QString FallbackText(const char* context, const char* sourceText);

private:
    std::unique_ptr<QTranslator> m_catalogue;
};

} // namespace lh
