#pragma once
// The filter dialog bar: the list of the 22 filters and effects in their fixed
// order. Picking a filter opens its dialog; the menu commands move the list to
// their filter. The choice stays for the whole run.
#include <QToolBar>

class QComboBox;

namespace quillory {

class DlgBar_Thrs : public QToolBar {
    Q_OBJECT
public:
    explicit DlgBar_Thrs(QWidget* parent = nullptr);
    int CurrentIndex() const;
    void SetCurrentIndex(int index);
    QString CurrentName() const;
    QComboBox* list() const { return m_list; }

Q_SIGNALS:
    // The user picked a filter in the list (also the one already shown).
    void filterChosen(int index);

private:
    QComboBox* m_list;
};

}  // namespace quillory
