#pragma once
// What a label shows the user of its text: a label that takes its text for rich text renders
// the markup, so "Filter <b>rot</b>" reads "Filter rot" in bold.
#include <QString>

class QLabel;

QString ShownText(const QLabel& label);

// The label of the tool tip on show (null when none is shown).
QLabel* ShownToolTipLabel();
