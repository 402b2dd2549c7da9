#include "ui/spec_diagram_view.h"

CSpecDiagramView::CSpecDiagramView(QWidget* parent) : QWidget(parent) {}
