#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalBlocker>

#include "nemro/error.h"
#include "nemro/qt_toolkit.h"

namespace nemro::qt {

namespace {
int twipsProperty(const QWidget& w, const char* name, int pixels) {
    const QVariant v = w.property(name);
    return v.isValid() ? v.toInt() : pixelsToTwips(pixels);
}

void applyTwips(QWidget& w) {
    const int l = twipsLeft(w), t = twipsTop(w);
    const int x = twipsToPixels(l), y = twipsToPixels(t);
    // Width and height follow from the rounded edges, so adjacent controls meet.
    w.setGeometry(x, y, twipsToPixels(l + twipsWidth(w)) - x,
                  twipsToPixels(t + twipsHeight(w)) - y);
}
}  // namespace

void setTwipsGeometry(QWidget& w, int left, int top, int width, int height) {
    w.setProperty("twipsLeft", left);
    w.setProperty("twipsTop", top);
    w.setProperty("twipsWidth", width);
    w.setProperty("twipsHeight", height);
    applyTwips(w);
}

void setTwipsLeft(QWidget& w, int left) {
    setTwipsGeometry(w, left, twipsTop(w), twipsWidth(w), twipsHeight(w));
}

void setTwipsTop(QWidget& w, int top) {
    setTwipsGeometry(w, twipsLeft(w), top, twipsWidth(w), twipsHeight(w));
}

int twipsLeft(const QWidget& w) {
    return twipsProperty(w, "twipsLeft", w.x());
}
int twipsTop(const QWidget& w) {
    return twipsProperty(w, "twipsTop", w.y());
}
int twipsWidth(const QWidget& w) {
    return twipsProperty(w, "twipsWidth", w.width());
}
int twipsHeight(const QWidget& w) {
    return twipsProperty(w, "twipsHeight", w.height());
}

QtListBox::QtListBox(QListWidget& list, std::function<void()> onClick)
    : list_(list), onClick_(std::move(onClick)) {
    connection_ =
        QObject::connect(&list_, &QListWidget::currentRowChanged, &list_, [this](int row) {
            if (row >= 0 && onClick_) runGuarded(onClick_);
        });
}

QtListBox::~QtListBox() {
    QObject::disconnect(connection_);
}

void QtListBox::Clear() {
    const QSignalBlocker block(&list_);
    list_.clear();
}

void QtListBox::AddItem(const std::string& text) {
    list_.addItem(qs(text));
}

std::string QtListBox::ItemText(int index) const {
    const QListWidgetItem* item = list_.item(index);
    if (!item) raisePlatform(err::InvalidArgument, "ListBox.List");
    return ss(item->text());
}

int QtListBox::ListCount() const {
    return list_.count();
}

int QtListBox::ListIndex() const {
    return list_.currentRow();
}

void QtListBox::SetListIndex(int index) {
    if (index < -1 || index >= list_.count())
        raisePlatform(err::InvalidArgument, "ListBox.ListIndex");
    {
        const QSignalBlocker block(&list_);
        list_.setCurrentRow(index);
    }
    if (index >= 0 && onClick_) onClick_();
}

std::string QtListBox::Text() const {
    const QListWidgetItem* item = list_.currentItem();
    return item ? ss(item->text()) : std::string();
}

void QtListBox::EnableVerticalScrollBar(bool enable) {
    list_.verticalScrollBar()->setEnabled(enable);
}

int QtListBox::ClientHeight() const {
    // contentsRect is valid before the list is first shown, unlike the viewport's size.
    return pixelsToTwips(list_.contentsRect().height());
}

std::string QtLabel::Caption() const {
    return ss(label_.text());
}

void QtLabel::SetCaption(const std::string& caption) {
    label_.setText(qs(caption));
}

int QtTextMetrics::TextHeight(const std::string& sample) const {
    const QFontMetrics fm(widget_.font());
    const int lines =
        sample.empty() ? 1 : static_cast<int>(QString::fromStdString(sample).count('\n')) + 1;
    return pixelsToTwips(fm.height() * lines);
}

}  // namespace nemro::qt
