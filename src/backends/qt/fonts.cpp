#include "qt/fonts.h"

#include <QApplication>

namespace qt_backend {

namespace {

struct Substitute {
    const char* systemName;
    const char* first;
    const char* second;
};

// Monospaced ＭＳ ゴシック and proportional ＭＳ Ｐゴシック each get the IPA face
// of the same kind, then Noto CJK of the same kind.
constexpr Substitute kSubstitutes[] = {
    {"ＭＳ ゴシック", "IPAGothic", "Noto Sans Mono CJK JP"},
    {"ＭＳ Ｐゴシック", "IPAPGothic", "Noto Sans CJK JP"},
    // The same names as they appear in Latin letters.
    {"MS Gothic", "IPAGothic", "Noto Sans Mono CJK JP"},
    {"MS PGothic", "IPAPGothic", "Noto Sans CJK JP"},
};

constexpr const char* kUiFace = "ＭＳ Ｐゴシック";
constexpr double kUiPoints = 9.0;

}  // namespace

QStringList fontFamiliesFor(const std::string& face) {
    const QString name = QString::fromStdString(face);
    for (const Substitute& s : kSubstitutes) {
        if (name == QString::fromUtf8(s.systemName))
            return {QString::fromUtf8(s.first), QString::fromUtf8(s.second)};
    }
    return {name};
}

void installJapaneseFonts() {
    for (const Substitute& s : kSubstitutes) {
        QFont::insertSubstitutions(QString::fromUtf8(s.systemName),
                                   {QString::fromUtf8(s.first), QString::fromUtf8(s.second)});
    }
    QFont ui;
    ui.setFamilies(fontFamiliesFor(kUiFace));
    ui.setPointSizeF(kUiPoints);
    QApplication::setFont(ui);
}

QFont qtFont(const platform::FontSpec& wanted, const QFont& fallback) {
    QFont font = fallback;
    if (!wanted.face.empty()) font.setFamilies(fontFamiliesFor(wanted.face));
    if (wanted.size > 0) font.setPointSizeF(wanted.size);
    font.setWeight(wanted.bold ? QFont::Bold : QFont::Normal);
    return font;
}

}  // namespace qt_backend
