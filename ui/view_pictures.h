#pragma once
// The pictures of the tree panes and the main panel, by the numbers the panes use for them.
#include <QPixmap>

// 24 x 24 pictures (158: the panel background, 400 x 140). An unknown number gives an
// empty picture.
QPixmap ViewPicture(int id);
