#include "shell/CDlg_OneClickDica.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/CommandIds.h"
#include "shell/CMainFrame.h"
#include "shell/CVandView.h"
#include "shell/CommandIcons.h"
#include "shell/ShellTexts.h"

namespace quillory {

namespace {

// One click brightens, darkens or changes the contrast by this much of the -255..255 range.
constexpr int kQuickStep = 24;

// Where each group's fixes start in QuickFixes() and how many there are.
struct FixGroup {
    const char* title;
    int first;
    int count;
};
constexpr FixGroup kGroups[] = {{shelltexts::kQuickColourGroup, 0, 6},
                                {shelltexts::kQuickEffectGroup, 6, 3},
                                {shelltexts::kQuickTurnGroup, 9, 4}};
constexpr int kColumns = 2;

}  // namespace

const QList<QuickFix>& QuickFixes() {
    using namespace shelltexts;
    static const QList<QuickFix> fixes = {
        {kQuickAutoColour, cmd::kAutoColour},
        {kQuickBrightnessDialog, cmd::kBrightnessContrast, nullptr, 0, true},
        {kQuickBrighter, cmd::kBrightnessContrast, "brightness", kQuickStep},
        {kQuickDarker, cmd::kBrightnessContrast, "brightness", -kQuickStep},
        {kQuickMoreContrast, cmd::kBrightnessContrast, "contrast", kQuickStep},
        {kQuickLessContrast, cmd::kBrightnessContrast, "contrast", -kQuickStep},
        {kQuickSharpen, cmd::kSharpenKernel},
        {kQuickGreyScale, cmd::kGreyScale},
        {kQuickInvert, cmd::kInvert},
        // A photo taken on its side turns whole: the canvas turns with it.
        {kQuickTurnRight, cmd::kCanvasRotateRight},
        {kQuickTurnLeft, cmd::kCanvasRotateLeft},
        {kQuickFlipLeftRight, cmd::kCanvasFlipLeftRight},
        {kQuickFlipTopBottom, cmd::kCanvasFlipTopBottom},
    };
    return fixes;
}

CDlg_OneClickDica::CDlg_OneClickDica(CMainFrame* frame) : QDialog(frame, Qt::Tool), m_frame(frame) {
    setObjectName("CDlg_OneClickDica");
    setWindowTitle(QString::fromUtf8(shelltexts::kQuickEditTitle));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    const QList<QuickFix>& fixes = QuickFixes();
    for (const FixGroup& group : kGroups) {
        auto* box = new QGroupBox(QString::fromUtf8(group.title), this);
        auto* grid = new QGridLayout(box);
        grid->setContentsMargins(4, 4, 4, 4);
        grid->setSpacing(3);
        for (int k = 0; k < group.count; ++k) {
            const QuickFix& fix = fixes[group.first + k];
            auto* button = new QToolButton(box);
            button->setText(QString::fromUtf8(fix.label));
            button->setObjectName(QString::fromUtf8(fix.label));
            button->setIcon(ThemeIconOf(fix.command));
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            button->setToolTip(StatusTipOf(fix.command));
            connect(button, &QToolButton::clicked, this, [this, fix] { Apply(fix); });
            grid->addWidget(button, k / kColumns, k % kColumns);
            m_buttons.append(button);
        }
        layout->addWidget(box);
    }
    RefreshState();
}

QToolButton* CDlg_OneClickDica::button(const char* label) const {
    for (QToolButton* b : m_buttons)
        if (b->objectName() == QString::fromUtf8(label)) return b;
    return nullptr;
}

void CDlg_OneClickDica::RefreshState() {
    const bool active = m_frame->ActiveView() != nullptr;
    for (QToolButton* b : m_buttons) b->setEnabled(active);
}

bool CDlg_OneClickDica::Apply(const QuickFix& fix) {
    CVandView* view = m_frame->ActiveView();
    if (!view) return false;
    if (fix.opensDialog) return m_frame->Dispatch(fix.command);
    DocumentSession& document = view->document();
    CommandParameters parameters;
    if (fix.parameter) parameters.Set(fix.parameter, std::to_string(fix.value));
    if (!document.Execute(fix.command, parameters)) return false;
    m_frame->DocumentChanged(&document);
    return true;
}

}  // namespace quillory
