#include "shell/CDlg_Find_SimPixelArea.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "document/ColourRangeSelection.h"
#include "document/TransformTexts.h"
#include "shell/SliderRow.h"
#include "shell/Utf8Text.h"

namespace quillory {

namespace {

void Paint(QLabel* swatch, bool shown, RGBQUAD c) {
    swatch->setStyleSheet(shown ? QString("background: rgb(%1,%2,%3); border: 1px solid black;")
                                      .arg(c.red)
                                      .arg(c.green)
                                      .arg(c.blue)
                                : QString("border: 1px solid gray;"));
}

}  // namespace

CDlg_Find_SimPixelArea::CDlg_Find_SimPixelArea(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setWindowTitle(Text(texts::kColourRangeTitle));
    auto* layout = new QVBoxLayout(this);
    m_tolerance = new SliderRow(QString(), 0, kMaxTolerance, kDefaultTolerance, SliderSteps{5, 4, 10},
                                Text(texts::kToleranceScale), this);
    layout->addWidget(m_tolerance);
    auto* grid = new QGridLayout;
    m_count = new QLabel(Text(texts::kPixelCountLabel), this);
    m_count->setMinimumWidth(220);
    m_shown = new QLabel(this);
    m_picked = new QLabel(this);
    for (QLabel* swatch : {m_shown, m_picked}) {
        swatch->setFixedSize(40, 18);
        Paint(swatch, false, {});
    }
    grid->addWidget(m_count, 0, 0, 1, 2);
    grid->addWidget(new QLabel(Text(texts::kShownColourLabel), this), 1, 0);
    grid->addWidget(m_shown, 1, 1);
    grid->addWidget(new QLabel(Text(texts::kPickedColourLabel), this), 2, 0);
    grid->addWidget(m_picked, 2, 1);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    m_replace = new QPushButton(Text(texts::kExtractReplace), this);
    m_add = new QPushButton(Text(texts::kExtractAdd), this);
    auto* group = new QButtonGroup(this);
    for (QPushButton* b : {m_replace, m_add}) {
        b->setCheckable(true);
        group->addButton(b);
        buttons->addWidget(b);
    }
    m_replace->setChecked(true);
    layout->addLayout(buttons);
    connect(m_tolerance, &SliderRow::valueChosen, this, [this](int v) { Q_EMIT toleranceChosen(v); });
    connect(m_replace, &QPushButton::clicked, this, [this] { Q_EMIT modeChosen(false); });
    connect(m_add, &QPushButton::clicked, this, [this] { Q_EMIT modeChosen(true); });
}

void CDlg_Find_SimPixelArea::SetTolerance(int value) { m_tolerance->SetValue(value); }

void CDlg_Find_SimPixelArea::SetAddMode(bool add) { (add ? m_add : m_replace)->setChecked(true); }

void CDlg_Find_SimPixelArea::ShowResult(const QString& countText, bool picked, RGBQUAD colour) {
    m_count->setText(countText);
    // The colour shown under the pointer when it was picked, and the one the selection matches.
    Paint(m_shown, picked, colour);
    Paint(m_picked, picked, colour);
}

}  // namespace quillory
