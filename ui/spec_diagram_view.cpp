#include "ui/spec_diagram_view.h"

#include "app/velmont_doc.h"
#include "controls/spectrum_plot.h"
#include "platform/picture_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QResizeEvent>

namespace {
constexpr char kContainerName[] = "MainSpecViewContainer";
} // namespace

CSpecDiagramView::CSpecDiagramView(QWidget* parent) : QWidget(parent), m_SpecDisplay(new CSpecDisplay(this))
{
    // Shown by the first initial update.
    m_SpecDisplay->hide();
    m_SpecDisplay->setFocusPolicy(Qt::StrongFocus);
    setFocusPolicy(Qt::StrongFocus);
}

CSpecDiagramView::~CSpecDiagramView()
{
    if (m_workspaceOwner)
        m_workspaceOwner->m_workspaceParams.setContainerParameter(kContainerName, nullptr);
    delete m_SpecDisplay;
}

void CSpecDiagramView::OnInitialUpdate()
{
    CDocumentView::OnInitialUpdate();
    if (!m_plotShown) {
        m_plotShown = true;
        m_SpecDisplay->setGeometry(rect());
        m_SpecDisplay->show();
    }
    NestSettings(GetDocument());
    m_SpecDisplay->CalculateGrid();
    LoadBackgroundPicture();
}

void CSpecDiagramView::NestSettings(CVelmontDoc* document)
{
    if (!document || m_workspaceOwner)
        return;
    document->m_workspaceParams.addContainerParameter(kContainerName, "", &m_SpecDisplay->MainSpectrumView);
    m_workspaceOwner = document;
}

void CSpecDiagramView::LoadBackgroundPicture()
{
    const std::string* name = m_SpecDisplay->MainSpectrumView.getStringParameter("BgBitmapPath");
    if (!name || name->empty())
        return;
    const QString path = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QString::fromStdString(*name));
    const QImage picture = platform::ReadPictureFile(QFile::encodeName(path).toStdString());
    if (!picture.isNull())
        m_SpecDisplay->SetBgBitmap(picture);
}

void CSpecDiagramView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_plotShown)
        m_SpecDisplay->setGeometry(0, 0, event->size().width(), event->size().height());
}

void CSpecDiagramView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (m_plotShown)
        m_SpecDisplay->setFocus();
}
