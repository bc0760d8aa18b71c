#pragma once
// Keeping a text whole in a control whose size the form fixes, measured with the control's own
// font: the form's texts were laid out for a narrower font than most Linux desktops give.

#include <QFontMetrics>
#include <QLabel>

namespace vexlan {

// The pixels a label has for its text.
inline int TextRoom(const QLabel* label) { return label->contentsRect().width() - 2 * label->margin() - 2; }

// Shows the text; when it needs more room than the label has, the font gets smaller, down to
// minimumPixels, and what is still too wide gives way in the middle to "…" with the whole text in
// the tooltip.
inline void ShowFitted(QLabel* label, const QString& text, int fontPixels, int minimumPixels) {
    QFont font = label->font();
    font.setPixelSize(fontPixels);
    while (font.pixelSize() > minimumPixels && QFontMetrics(font).horizontalAdvance(text) > TextRoom(label))
        font.setPixelSize(font.pixelSize() - 1);
    if (label->font() != font) label->setFont(font);
    const QFontMetrics metrics(font);
    const bool whole = metrics.horizontalAdvance(text) <= TextRoom(label);
    const QString shown = whole ? text : metrics.elidedText(text, Qt::ElideMiddle, TextRoom(label));
    if (label->text() != shown) label->setText(shown);
    label->setToolTip(whole ? QString() : text);
}

}  // namespace vexlan
