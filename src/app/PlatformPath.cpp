#include "PlatformPath.h"

#include <QDir>
#include <algorithm>

namespace lh {

std::string ToPlatformPath(const QString& path) {
    return QDir::toNativeSeparators(path).toUtf8().toStdString();
}

QString FromPlatformPath(const std::string& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path));
}

std::vector<std::string> ArgumentsLeftByToolkit(const std::vector<char*>& original,
                                                const std::vector<std::string>& words, int argc,
                                                char** argv) {
    std::vector<std::string> result;
    for (int i = 1; i < argc; ++i) {
        const auto found =
            std::find(original.begin() + (original.empty() ? 0 : 1), original.end(), argv[i]);
        const auto index = static_cast<std::size_t>(found - original.begin());
        // A word the platform could not pair with an entry keeps the entry's own bytes.
        if (found != original.end() && index >= 1 && index - 1 < words.size())
            result.push_back(words[index - 1]);
        else
            result.emplace_back(argv[i]);
    }
    return result;
}

} // namespace lh
