// The user at the Qt view: Qt's own events and signals, as a user's input
// raises them.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <algorithm>

#include "tests/window/view_driver.h"
#include "window/form_design.h"
#include "window/qt/kt_form_widget.h"

namespace gs::test {

namespace {

class QtViewDriver : public ViewDriver {
 public:
  KTformView& View() override { return view_; }
  std::string ScreenshotName() const override { return "kt06-"; }

  std::string Caption() override { return view_.windowTitle().toStdString(); }
  bool HasIcon() override { return !view_.windowIcon().isNull(); }
  bool Resizable() override { return view_.minimumSize() != view_.maximumSize(); }
  double DotsPerInch() override { return QGuiApplication::primaryScreen()->logicalDotsPerInchX(); }
  Box ClientArea() override { return {0, 0, view_.width(), view_.height()}; }
  Box Geometry(std::string_view control) override {
    const QWidget* w = Find<QWidget>(control);
    if (w == nullptr) return {};
    const QPoint at = w->mapTo(&view_, QPoint(0, 0));
    return {at.x(), at.y(), w->width(), w->height()};
  }
  std::vector<std::string> FocusOrder(std::string_view first, size_t count) override {
    std::vector<std::string> names;
    QWidget* w = Find<QWidget>(first);
    // The chain also holds the widgets inside the controls.
    for (int steps = 0; w != nullptr && names.size() < count && steps < 1000;
         ++steps, w = w->nextInFocusChain()) {
      const std::string name = w->objectName().toStdString();
      if ((w->focusPolicy() & Qt::TabFocus) != 0 &&
          std::any_of(std::begin(kFormControls), std::end(kFormControls),
                      [&](const ControlDesign& d) { return d.name == name; })) {
        names.push_back(name);
      }
    }
    return names;
  }
  bool Editable(std::string_view combo) override { return Find<QComboBox>(combo)->isEditable(); }
  bool Shown() override { return view_.isVisible(); }
  bool LineInView(int line) override {
    const QListWidget* list = Find<QListWidget>("List1");
    return list->viewport()->rect().contains(list->visualItemRect(list->item(line)));
  }
  Screenshot Capture() override {
    const QImage image = view_.grab().toImage().convertToFormat(QImage::Format_RGB32);
    Screenshot shot{image.width(), image.height(), {}};
    for (int y = 0; y < image.height(); ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x) shot.pixels.push_back(row[x] & 0xFFFFFF);
    }
    return shot;
  }

  void Click(std::string_view control) override { Find<QAbstractButton>(control)->click(); }
  void Pick(std::string_view name, int index) override {
    QComboBox* combo = Find<QComboBox>(name);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  void Type(std::string_view name, const std::string& text) override {
    QLineEdit* edit = Find<QComboBox>(name)->lineEdit();
    edit->selectAll();
    for (const QChar c : QString::fromStdString(text)) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(edit, &press);
    }
  }
  void PressDown(std::string_view name) override {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(Find<QComboBox>(name), &press);
  }
  bool OpenList(std::string_view name) override {
    QComboBox* combo = Find<QComboBox>(name);
    combo->showPopup();
    const bool open = combo->view()->isVisible();
    combo->hidePopup();
    return open;
  }
  bool CloseByUser() override { return view_.close(); }

 private:
  template <typename Widget>
  Widget* Find(std::string_view name) {
    return view_.findChild<Widget*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  }

  KTformWidget view_;
};

}  // namespace

std::unique_ptr<ViewDriver> NewView() {
  return std::make_unique<QtViewDriver>();
}

}  // namespace gs::test
