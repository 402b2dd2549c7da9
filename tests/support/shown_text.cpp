#include "support/shown_text.h"

#include <QApplication>
#include <QLabel>
#include <QTextDocument>

QString ShownText(const QLabel& label)
{
    const Qt::TextFormat format = label.textFormat();
    const bool rich = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(label.text()));
    if (!rich)
        return label.text();
    QTextDocument document;
    document.setHtml(label.text());
    return document.toPlainText();
}

QLabel* ShownToolTipLabel()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* label = qobject_cast<QLabel*>(widget);
        if (label && label->objectName() == QStringLiteral("qtooltip_label") && label->isVisible())
            return label;
    }
    return nullptr;
}
