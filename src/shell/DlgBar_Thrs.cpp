#include "shell/DlgBar_Thrs.h"

#include <QComboBox>

#include "processing/FilterCatalogue.h"
#include "shell/ShellTexts.h"

namespace quillory {

DlgBar_Thrs::DlgBar_Thrs(QWidget* parent) : QToolBar(QString::fromUtf8(shelltexts::kFilterBar), parent) {
    setObjectName("FilterBar");
    setAllowedAreas(Qt::AllToolBarAreas);
    m_list = new QComboBox(this);
    m_list->setObjectName("filterList");
    for (int i = 0; i < kFilterCount; ++i) m_list->addItem(QString::fromUtf8(FilterAt(i)->name), i);
    m_list->setMaxVisibleItems(kFilterCount);
    addWidget(m_list);
    connect(m_list, &QComboBox::activated, this, &DlgBar_Thrs::filterChosen);
}

int DlgBar_Thrs::CurrentIndex() const { return m_list->currentIndex(); }

void DlgBar_Thrs::SetCurrentIndex(int index) {
    if (index >= 0 && index < m_list->count()) m_list->setCurrentIndex(index);
}

QString DlgBar_Thrs::CurrentName() const { return m_list->currentText(); }

}  // namespace quillory
