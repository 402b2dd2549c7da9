#include "ui/document_view.h"

CDocumentView::~CDocumentView() = default;

void CDocumentView::OnInitialUpdate() {}
