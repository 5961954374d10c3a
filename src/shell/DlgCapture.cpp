#include "shell/DlgCapture.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

#include "extras/ExtrasTexts.h"
#include "shell/OkCancelButtons.h"

namespace quillory {

DlgCapture::DlgCapture(std::vector<ScreenWindow> windows, QWidget* parent)
    : QDialog(parent), m_windows(CaptureCandidates(windows)) {
    setWindowTitle(QString::fromUtf8(texts::kCmdScreenCapture));
    setObjectName("DlgCapture");
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->addItem(QString::fromUtf8(texts::kCaptureDesktop));
    for (const ScreenWindow& w : m_windows) m_list->addItem(QString::fromStdString(w.title));
    m_list->setCurrentRow(0);
    m_list->setMinimumSize(320, 220);
    layout->addWidget(m_list);
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
}

const ScreenWindow* DlgCapture::Chosen() const {
    const int row = m_list->currentRow();
    return row >= 1 && row <= int(m_windows.size()) ? &m_windows[size_t(row - 1)] : nullptr;
}

}  // namespace quillory
