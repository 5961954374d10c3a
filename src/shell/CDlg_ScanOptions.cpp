#include "shell/CDlg_ScanOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "extras/ExtrasTexts.h"
#include "shell/PanelTexts.h"
#include "shell/Utf8Text.h"

namespace quillory {

namespace {

QString Label(const ScanOption& o) {
    QString label = QString::fromStdString(o.title.empty() ? o.name : o.title);
    if (!o.unit.empty()) label += QString(" (%1)").arg(QString::fromStdString(o.unit));
    return label;
}
bool Shown(const ScanOption& o) { return !o.advanced && o.kind != ScanOption::Kind::Group; }

QString NumberText(double v) { return std::fabs(v - std::round(v)) < 1e-9 ? QString::number(qint64(std::llround(v))) : QString::number(v); }

}  // namespace

CDlg_ScanOptions::CDlg_ScanOptions(ScanDevice& device, QWidget* parent) : QDialog(parent), m_device(device) {
    setWindowTitle(Text(texts::kScanOptionsTitle) + " - " + QString::fromStdString(device.DeviceName()));
    setObjectName("CDlg_ScanOptions");
    auto* layout = new QVBoxLayout(this);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_scroll);
    m_page = new QWidget(m_scroll);
    m_form = new QFormLayout(m_page);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_scroll->setWidget(m_page);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* scan = buttons->addButton(Text(texts::kScanButton), QDialogButtonBox::AcceptRole);
    scan->setObjectName("scan");
    buttons->addButton(Text(shelltexts::kCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Build();
}

void CDlg_ScanOptions::Build() {
    while (m_form->rowCount() > 0) m_form->removeRow(0);
    m_widgets.clear();
    m_options = m_device.Options();
    for (const ScanOption& o : m_options) {
        if (o.kind == ScanOption::Kind::Group) {
            auto* title = new QLabel("<b>" + QString::fromStdString(o.title).toHtmlEscaped() + "</b>", m_page);
            m_form->addRow(title);
            continue;
        }
        if (!Shown(o)) continue;
        QWidget* widget = nullptr;
        const ScanOption option = o;
        switch (o.kind) {
            case ScanOption::Kind::Flag: {
                auto* box = new QCheckBox(m_page);
                connect(box, &QCheckBox::toggled, this, [this, option](bool on) { Apply(option, on); });
                widget = box;
                break;
            }
            case ScanOption::Kind::Whole:
            case ScanOption::Kind::Real: {
                if (o.limit == ScanOption::Limit::Values) {
                    auto* box = new QComboBox(m_page);
                    for (double v : o.values) box->addItem(NumberText(v), v);
                    connect(box, &QComboBox::activated, this,
                            [this, option, box](int i) { Apply(option, box->itemData(i)); });
                    widget = box;
                } else if (o.kind == ScanOption::Kind::Whole) {
                    auto* box = new QSpinBox(m_page);
                    box->setRange(o.limit == ScanOption::Limit::Range ? int(o.minimum) : -1000000,
                                  o.limit == ScanOption::Limit::Range ? int(o.maximum) : 1000000);
                    if (o.step >= 1) box->setSingleStep(int(o.step));
                    connect(box, &QSpinBox::editingFinished, this, [this, option, box] { Apply(option, box->value()); });
                    widget = box;
                } else {
                    auto* box = new QDoubleSpinBox(m_page);
                    box->setDecimals(2);
                    box->setRange(o.limit == ScanOption::Limit::Range ? o.minimum : -1e6,
                                  o.limit == ScanOption::Limit::Range ? o.maximum : 1e6);
                    if (o.step > 0) box->setSingleStep(o.step);
                    connect(box, &QDoubleSpinBox::editingFinished, this, [this, option, box] { Apply(option, box->value()); });
                    widget = box;
                }
                break;
            }
            case ScanOption::Kind::Text: {
                if (o.limit == ScanOption::Limit::Texts) {
                    auto* box = new QComboBox(m_page);
                    for (const std::string& t : o.texts) box->addItem(QString::fromStdString(t));
                    connect(box, &QComboBox::activated, this,
                            [this, option, box](int i) { Apply(option, box->itemText(i)); });
                    widget = box;
                } else {
                    auto* box = new QLineEdit(m_page);
                    connect(box, &QLineEdit::editingFinished, this, [this, option, box] { Apply(option, box->text()); });
                    widget = box;
                }
                break;
            }
            case ScanOption::Kind::Button: {
                auto* button = new QPushButton(QString::fromStdString(o.title), m_page);
                connect(button, &QPushButton::clicked, this, [this, option] { Apply(option, QVariant()); });
                widget = button;
                break;
            }
            default: break;
        }
        if (!widget) continue;
        widget->setObjectName(QString::fromStdString(o.name));
        widget->setToolTip(QString::fromStdString(o.description));
        m_widgets.insert(QString::fromStdString(o.name), widget);
        if (o.kind == ScanOption::Kind::Button) m_form->addRow(widget);
        else m_form->addRow(Label(o), widget);
    }
    Refresh();
    FitToOptions();
}

void CDlg_ScanOptions::FitToOptions() {
    m_page->adjustSize();
    const QSize page = m_form->sizeHint();
    const QRect room = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    const int frame = 2 * m_scroll->frameWidth();
    const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    m_scroll->setMinimumWidth(std::clamp(page.width() + frame + bar, 420, std::max(420, room.width() * 9 / 10)));
    m_scroll->setMinimumHeight(std::clamp(page.height() + frame, 160, std::max(160, room.height() * 2 / 3)));
    adjustSize();
}

void CDlg_ScanOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Every scan starts at the first option.
    m_scroll->verticalScrollBar()->setValue(0);
}

void CDlg_ScanOptions::Refresh() {
    for (const ScanOption& o : m_options) {
        QWidget* widget = m_widgets.value(QString::fromStdString(o.name), nullptr);
        if (!widget) continue;
        widget->setEnabled(o.active && o.settable);
        const QSignalBlocker block(widget);
        if (auto* box = qobject_cast<QCheckBox*>(widget)) box->setChecked(o.flag);
        else if (auto* spin = qobject_cast<QSpinBox*>(widget)) spin->setValue(int(o.number));
        else if (auto* real = qobject_cast<QDoubleSpinBox*>(widget)) real->setValue(o.number);
        else if (auto* line = qobject_cast<QLineEdit*>(widget)) line->setText(QString::fromStdString(o.text));
        else if (auto* list = qobject_cast<QComboBox*>(widget)) {
            const int i = o.kind == ScanOption::Kind::Text ? list->findText(QString::fromStdString(o.text))
                                                            : list->findData(o.number);
            if (i >= 0) list->setCurrentIndex(i);
        }
    }
}

void CDlg_ScanOptions::Apply(const ScanOption& option, const QVariant& value) {
    switch (option.kind) {
        case ScanOption::Kind::Flag: m_device.SetFlag(option.index, value.toBool()); break;
        case ScanOption::Kind::Whole:
        case ScanOption::Kind::Real: m_device.SetNumber(option.index, value.toDouble()); break;
        case ScanOption::Kind::Text: m_device.SetText(option.index, value.toString().toStdString()); break;
        case ScanOption::Kind::Button: m_device.Press(option.index); break;
        default: break;
    }
    // One setting may change others (a mode makes the depth inactive): read them all again,
    // and lay the dialog out anew once the signal that brought us here has returned.
    std::vector<ScanOption> fresh = m_device.Options();
    bool sameSet = fresh.size() == m_options.size();
    for (size_t i = 0; sameSet && i < fresh.size(); ++i)
        sameSet = fresh[i].name == m_options[i].name && fresh[i].advanced == m_options[i].advanced;
    m_options = std::move(fresh);
    if (sameSet) Refresh();
    else QTimer::singleShot(0, this, [this] { Build(); });
}

int ChooseScanSource(QWidget* parent, const std::vector<ScanSourceInfo>& sources) {
    QStringList items;
    for (const ScanSourceInfo& s : sources)
        items << QString("%1 %2 (%3)").arg(QString::fromStdString(s.vendor), QString::fromStdString(s.model),
                                           QString::fromStdString(s.name));
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, Text(texts::kCmdSelectSource), Text(texts::kCmdSelectSource),
                                                 items, 0, false, &ok);
    return ok ? int(items.indexOf(chosen)) : -1;
}

}  // namespace quillory
