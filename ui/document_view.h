#pragma once
// What every pane of the main window shares: the document it shows and the initial update that
// the frame runs after each new or opened project (the tree panes attach to their trees there).
class CVelmontDoc;

class CDocumentView {
public:
    virtual ~CDocumentView();

    CVelmontDoc* GetDocument() const { return m_document; }
    void SetDocument(CVelmontDoc* document) { m_document = document; }

    virtual void OnInitialUpdate();

protected:
    CDocumentView() = default;

private:
    CVelmontDoc* m_document = nullptr;
};
