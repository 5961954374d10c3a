#include "shell/StatusFields.h"

#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <algorithm>

#include "shell/CVandView.h"
#include "shell/DesktopTexts.h"
#include "shell/Utf8Text.h"
#include "view/StackComposer.h"
#include "view/ViewZoom.h"

namespace quillory {

namespace {

QLabel* Field(QStatusBar* bar, const char* name, const QString& widest) {
    auto* label = new QLabel(bar);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    // Wide enough for its longest text, so the fields do not jump while the pointer moves.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest) + 12);
    bar->addPermanentWidget(label);
    return label;
}

}  // namespace

PointerReading ReadPointer(CVandView& view, QPoint viewportPoint) {
    PointerReading reading;
    DocumentSession& document = view.document();
    const int width = document.Width(), height = document.Height();
    if (width <= 0 || height <= 0) return reading;
    // The view's mapping on a copy of its state, so reading changes nothing.
    ViewState s = document.view();
    s.clientRect = InclusiveRect{0, 0, view.viewport()->width() - 1, view.viewport()->height() - 1};
    s.scrollX = view.horizontalScrollBar()->value();
    s.scrollY = view.verticalScrollBar()->value();
    GetPictureRect(s, width, height);
    const MappedPoint zoomed = WindowToPicture(s, viewportPoint.x(), viewportPoint.y());
    if (zoomed.wasClamped) return reading;
    const double scaleX = s.fitToWindow ? double(s.pictureRect.Width()) / width : double(s.zoom);
    const double scaleY = s.fitToWindow ? double(s.pictureRect.Height()) / height : double(s.zoom);
    if (!(scaleX > 0) || !(scaleY > 0)) return reading;
    reading.x = std::clamp(int(zoomed.x / scaleX), 0, width - 1);
    reading.y = std::clamp(int(zoomed.y / scaleY), 0, height - 1);
    reading.inside = true;
    // The visible layers blended for that one pixel: what the view shows there, with its opacity.
    uint32_t pixel = 0;
    TargetBuffer target(&pixel, 1, 1);
    StackComposer composer(document.header(), document.stack());
    composer.ComposeVisible(target, reading.x, reading.y, 1.0f, 1.0f);
    reading.blue = uint8_t(pixel), reading.green = uint8_t(pixel >> 8), reading.red = uint8_t(pixel >> 16);
    reading.alpha = uint8_t(pixel >> 24);
    return reading;
}

StatusFields::StatusFields(QStatusBar* bar) : QObject(bar) {
    m_position = Field(bar, "statusPosition", QString(Text(shelltexts::kStatusPosition)).arg(88888).arg(88888));
    m_colour = Field(bar, "statusColour", QString(Text(shelltexts::kStatusColour)).arg(888).arg(888).arg(888).arg(888));
    m_zoom = Field(bar, "statusZoom", QString(Text(shelltexts::kStatusZoom)).arg("88.88"));
    m_size = Field(bar, "statusSize", QString(Text(shelltexts::kStatusSize)).arg(88888).arg(88888).arg(88));
}

void StatusFields::ShowPointer(CVandView& view, QPoint viewportPoint) {
    const PointerReading r = ReadPointer(view, viewportPoint);
    if (!r.inside) {
        ClearPointer();
        return;
    }
    m_position->setText(QString(Text(shelltexts::kStatusPosition)).arg(r.x).arg(r.y));
    m_colour->setText(QString(Text(shelltexts::kStatusColour)).arg(r.red).arg(r.green).arg(r.blue).arg(r.alpha));
}

void StatusFields::ClearPointer() {
    m_position->clear();
    m_colour->clear();
}

void StatusFields::ShowPicture(CVandView* view) {
    if (!view) {
        ClearPointer();
        m_zoom->clear();
        m_size->clear();
        return;
    }
    DocumentSession& document = view->document();
    const ViewState& s = document.view();
    m_zoom->setText(s.fitToWindow ? Text(shelltexts::kStatusZoomFit)
                                  : QString(Text(shelltexts::kStatusZoom)).arg(double(s.zoom) * 100.0, 0, 'g', 4));
    m_size->setText(QString(Text(shelltexts::kStatusSize))
                        .arg(document.Width())
                        .arg(document.Height())
                        .arg(document.header().bitsPerPixel));
}

}  // namespace quillory
