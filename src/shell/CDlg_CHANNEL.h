#pragma once
// The channel viewer ("RGB 채널보기"): the picture at the top left and, in three
// rows, its channels tinted red, green and blue. The selected row is framed in
// black, the others in grey; the mode (RGB, YUV, HSL) sets the heading and the
// row labels. It only shows.
#include <QDialog>
#include <QImage>

#include "processing/ChannelSplit.h"

class QFrame;
class QLabel;
class QRadioButton;

namespace quillory {

class CVandDoc;

class CDlg_CHANNEL : public QDialog {
    Q_OBJECT
public:
    CDlg_CHANNEL(const CVandDoc& document, QWidget* parent = nullptr);
    void SetMode(ChannelModel model);
    void SelectRow(int row);
    ChannelModel mode() const { return m_mode; }
    int selectedRow() const { return m_selected; }
    QLabel* heading() const { return m_heading; }
    QLabel* rowLabel(int row) const { return m_labels[row]; }
    QFrame* rowFrame(int row) const { return m_frames[row]; }
    QRadioButton* modeButton(ChannelModel model) const { return m_modes[int(model)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refresh();
    const CVandDoc& m_document;
    ChannelModel m_mode = ChannelModel::Rgb;
    int m_selected = 0;
    QLabel* m_heading;
    QLabel* m_pictures[3] = {};
    QLabel* m_labels[3] = {};
    QFrame* m_frames[3] = {};
    QRadioButton* m_modes[3] = {};
};

}  // namespace quillory
