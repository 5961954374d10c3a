#pragma once
// The scanner's own user interface over SANE: a dialog built from the device's
// options (lists, number boxes, switches and buttons, grouped as the scanner groups
// them), and the list of scanners to choose from.
#include <QDialog>
#include <QMap>
#include <vector>

#include "extras/ScanDevice.h"

class QFormLayout;
class QScrollArea;
class QWidget;

namespace quillory {

class CDlg_ScanOptions : public QDialog {
    Q_OBJECT
public:
    CDlg_ScanOptions(ScanDevice& device, QWidget* parent = nullptr);
    // The widget of an option by its name (null when not shown).
    QWidget* OptionWidget(const QString& name) const { return m_widgets.value(name, nullptr); }
    QScrollArea* scrollArea() const { return m_scroll; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Build();
    // Wide enough for every option with its value, as high as the options (up to
    // two thirds of the screen): only a long list scrolls, and only up and down.
    void FitToOptions();
    void Refresh();
    void Apply(const ScanOption& option, const QVariant& value);

    ScanDevice& m_device;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_page = nullptr;
    QFormLayout* m_form = nullptr;
    std::vector<ScanOption> m_options;
    QMap<QString, QWidget*> m_widgets;
};

// The list of scanners; the index chosen, or -1.
int ChooseScanSource(QWidget* parent, const std::vector<ScanSourceInfo>& sources);

}  // namespace quillory
