#include "shell/FontChoiceBoxes.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QToolButton>

#include "extras/Calendar.h"

namespace quillory {

QComboBox* FontSizeBox(QWidget* parent, int current) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    for (int size : CalendarFontSizes(current)) box->addItem(QString::number(size));
    return box;
}

QComboBox* FontFaceBox(QWidget* parent, const QString& current) {
    auto* box = new QComboBox(parent);
    std::vector<std::string> fonts;
    for (const QString& family : QFontDatabase::families()) fonts.push_back(family.toStdString());
    for (const std::string& face : FontFaceList(current.toStdString(), fonts)) box->addItem(QString::fromStdString(face));
    return box;
}

QComboBox* FontStyleBox(QWidget* parent, const QString& current) {
    auto* box = new QComboBox(parent);
    for (const std::string& style : FontStyleNames(current.toStdString())) box->addItem(QString::fromStdString(style));
    return box;
}

void PaintColourButton(QToolButton* button, const QColor& colour) {
    button->setStyleSheet(QString("QToolButton { background: %1; color: %2; }")
                              .arg(colour.name(), colour.lightness() > 128 ? "black" : "white"));
}

}  // namespace quillory
