#include "widgets/textfit.h"

#include <QFontMetricsF>
#include <QLabel>

namespace tw {

namespace {

bool labelFits(const QLabel* label, const QFont& font) {
    const QRect box = label->contentsRect();
    const QFontMetricsF fm(font);
    // Line ends are CR LF; a line break at the very end adds nothing that shows.
    QString text = label->text();
    text.remove(QLatin1Char('\r'));
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    if (!label->wordWrap()) {
        // One line per line break; each must fit the width.
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            if (fm.horizontalAdvance(line) > box.width())
                return false;
        }
        return fm.height() * lines.size() <= box.height() + 0.5;
    }
    const QRectF needed = fm.boundingRect(QRectF(box), Qt::TextWordWrap | label->alignment(), text);
    return needed.height() <= box.height() + 0.5 && needed.width() <= box.width() + 0.5;
}

} // namespace

void shrinkFontToFit(QWidget* widget, double minPointSize) {
    QFont font = widget->font();
    if (font.pointSizeF() <= 0)
        return;
    // A label is measured with the font to try; another control tells its width once it has it.
    auto* label = qobject_cast<QLabel*>(widget);
    const auto fits = [&] {
        return label ? labelFits(label, font) : widget->sizeHint().width() <= widget->width();
    };
    while (!fits() && font.pointSizeF() - 0.25 >= minPointSize) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        if (!label)
            widget->setFont(font);
    }
    if (font != widget->font())
        widget->setFont(font);
}

QFont formFont(double pointSize, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                   QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("Arimo")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

QFont headingFont(double pointSize, bool bold) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

} // namespace tw
