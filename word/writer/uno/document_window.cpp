#include "word/writer/uno/document_window.h"

#include <com/sun/star/awt/XTopWindow2.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseBroadcaster.hpp>
#include <com/sun/star/util/XCloseListener.hpp>
#include <cppuhelper/implbase1.hxx>

#include "word/word_app.h"
#include "word/writer/word_error.h"

namespace gs::writer {

namespace {

using css::uno::Any;

// Keeps a document alive while its window is closed under it.
class KeepOpen : public cppu::WeakImplHelper1<css::util::XCloseListener> {
 public:
  void SAL_CALL queryClosing(const css::lang::EventObject&, sal_Bool) override {
    throw css::util::CloseVetoException("kept for saving", nullptr);
  }
  void SAL_CALL notifyClosing(const css::lang::EventObject&) override {}
  void SAL_CALL disposing(const css::lang::EventObject&) override {}
};

}  // namespace

void DocumentWindow::Show(bool visible) {
  OfficeConnection& office = content_.Office();
  if (visible && office.Headless()) {
    RaiseWordError(wderr::NotAvailable, "the word processor runs without a display and cannot show a window");
  }
  if (visible) content_.HandToOffice();
  if (visible && !Shown()) {
    office.Call("Visible", CallLength::Long, [&] {
      // The model that was loaded without a view gets one in a new, hidden frame.
      const Reference<css::frame::XModel> model(content_.Model(), UNO_QUERY_THROW);
      Reference<css::frame::XComponentLoader>(office.Desktop(), UNO_QUERY_THROW)
          ->loadComponentFromURL("private:object", "_blank", 0,
                                 Properties({Property("Model", Any(model)), Property("Hidden", Any(true))}));
      const auto selection = content_.Cursor();
      content_.SetController(model->getCurrentController());
      if (!Shown()) RaiseWordError(wderr::CommandFailed, "Visible: Writer made no window for the document");
      // The selection goes to the window's view cursor.
      const auto view = content_.Cursor();
      view->gotoRange(selection->getStart(), false);
      if (!selection->isCollapsed()) view->gotoRange(selection->getEnd(), true);
      content_.SetCursor(nullptr);
    });
  }
  if (!Shown()) return;
  office.Call("Visible", CallLength::Long, [&] {
    const auto window = content_.Controller()->getFrame()->getContainerWindow();
    window->setVisible(visible);
    if (visible) Reference<css::awt::XTopWindow2>(window, UNO_QUERY_THROW)->toFront();
  });
}

void DocumentWindow::SetWindowState(int32_t state) {
  if (!Shown()) return;
  content_.Office().Call("WindowState", CallLength::Long, [&] {
    const Reference<css::awt::XTopWindow2> window(content_.Controller()->getFrame()->getContainerWindow(),
                                                  UNO_QUERY_THROW);
    window->setIsMinimized(false);
    window->setIsMaximized(state == wd::WindowStateMaximize);
    window->toFront();
  });
}

void DocumentWindow::Drop() {
  if (!Shown()) return;
  content_.Office().Call("Quit", CallLength::Long, [&] {
    const Reference<css::util::XCloseBroadcaster> closing(content_.Model(), UNO_QUERY_THROW);
    const Reference<css::util::XCloseListener> keep(new KeepOpen);
    closing->addCloseListener(keep);
    try {
      Reference<css::lang::XComponent>(content_.Controller()->getFrame(), UNO_QUERY_THROW)->dispose();
    } catch (const css::uno::Exception&) {
      closing->removeCloseListener(keep);
      throw;
    }
    closing->removeCloseListener(keep);
    content_.SetController(nullptr);
    content_.ResetCursor();
  });
}

}  // namespace gs::writer
