#pragma once
// For the widget tests: every visible text of a window fits its control, measured with the
// control's font; a text cut to fit carries the whole of it in its tooltip.

#include <gtest/gtest.h>

#include <QtWidgets>

namespace vexlan::test {

inline void ExpectTextsFit(QWidget* window) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || qobject_cast<QToolButton*>(w)) continue;
        QString text;
        int room = w->width() - 8;  // frame and margins
        auto* label = qobject_cast<QLabel*>(w);
        if (label)
            text = label->text(), room = label->contentsRect().width() - 2 * label->margin();
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            text = edit->text(), room -= edit->textMargins().left() * 2;
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            text = combo->currentText(), room -= 20;  // arrow
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text().remove('&'), room -= qobject_cast<QRadioButton*>(w) ? 14 : 0;  // indicator
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            text = group->title(), room -= 4;
        if (text.trimmed().isEmpty() || (!w->toolTip().isEmpty() && w->toolTip().size() >= text.size())) continue;
        // A label that wraps needs room for its longest word only.
        for (const QString& line : text.split(QRegularExpression(label && label->wordWrap() ? "\\s" : "\n")))
            EXPECT_LE(w->fontMetrics().horizontalAdvance(line.trimmed()), room) << w->objectName().toStdString();
    }
}

}  // namespace vexlan::test
