#include "app/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFile>
#include <QScrollArea>
#include <QToolButton>
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "app/grid_geometry.h"
#include "app/image_btn.h"
#include "app/main_form.h"
#include "app/paint_box.h"
#include "app/print_form.h"
#include "app/status_bar.h"
#include "app/view_pic_form.h"
#include "app/widget_names.h"

namespace lumaret {
namespace {

// "&&" shows one ampersand; a single one marks the mnemonic.
QString StripAmpersands(const QString& text) {
  QString plain;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && ++i == text.size())
      break;
    plain += text[i];
  }
  return plain;
}

// A push button's Press returns before the click runs: a click that opens a
// modal dialog would otherwise hold the screen reader until the dialog closes.
void ClickLater(QObject* button) {
  QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
}

std::function<void(QAccessibleEvent*)>& GridListener() {
  static std::function<void(QAccessibleEvent*)> listener;
  return listener;
}

void Send(QAccessibleInterface* iface, QAccessible::Event type) {
  QAccessibleEvent event(iface, type);
  if (GridListener())
    GridListener()(&event);
  QAccessible::updateAccessibility(&event);
}

// Pieces of a widget that are no widgets themselves: each gets an interface of
// its own, registered once and kept while its parent lives.
class ChildCache {
 public:
  ChildCache() = default;
  ChildCache(const ChildCache&) = delete;
  ChildCache& operator=(const ChildCache&) = delete;
  ~ChildCache() {
    for (const auto& [index, id] : ids_)
      QAccessible::deleteAccessibleInterface(id);
  }

  QAccessibleInterface* Find(int index) const {
    const auto it = ids_.find(index);
    return it == ids_.end() ? nullptr : QAccessible::accessibleInterface(it->second);
  }

  template <typename Make>
  QAccessibleInterface* Get(int index, Make make) {
    if (QAccessibleInterface* known = Find(index))
      return known;
    QAccessibleInterface* made = make();
    ids_[index] = QAccessible::registerAccessibleInterface(made);
    return made;
  }

  void Drop(int index) {
    const auto it = ids_.find(index);
    if (it == ids_.end())
      return;
    QAccessible::deleteAccessibleInterface(it->second);
    ids_.erase(it);
  }

 private:
  std::map<int, QAccessible::Id> ids_;
};

// The piece's answers come from its parent, which knows the widget.
class ChildAccessible : public QAccessibleInterface {
 public:
  ChildAccessible(QAccessibleInterface* parent, int index) : parent_(parent), index_(index) {}

  bool isValid() const override { return parent_->isValid(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent_->window(); }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override { return parent_; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  void setText(QAccessible::Text, const QString&) override {}

 protected:
  QAccessibleInterface* parent_;
  int index_;
};

// ---------------------------------------------------------------- windows

class WindowAccessible : public QAccessibleWidget {
 public:
  explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}
};

// ---------------------------------------------------------------- buttons

// A button whose Press queues the click and returns at once, as a push
// button's does, so that a dialog it opens never holds the screen reader.
class PressableAccessible : public QAccessibleWidget {
 public:
  explicit PressableAccessible(QWidget* button) : QAccessibleWidget(button, QAccessible::Button) {}

  QStringList actionNames() const override {
    QStringList names;
    if (widget()->isEnabled())
      names << pressAction();
    return names + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& name) override {
    if (name == pressAction() && widget()->isEnabled())
      ClickLater(widget());
    else
      QAccessibleWidget::doAction(name);
  }
};

class ImageBtnAccessible : public PressableAccessible {
 public:
  explicit ImageBtnAccessible(TImageBtn* button) : PressableAccessible(button) {}

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.pressed = static_cast<TImageBtn*>(widget())->isHeld();
    return s;
  }
};

// The tool strip's commands act as push buttons: their Press returns at once.
class PushToolButtonAccessible : public PressableAccessible {
 public:
  explicit PushToolButtonAccessible(QToolButton* button) : PressableAccessible(button) {}

  QToolButton* button() const { return static_cast<QToolButton*>(widget()); }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
      return StripAmpersands(button()->text());
    return QAccessibleWidget::text(t);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.pressed = button()->isDown();
    return s;
  }
};

// ---------------------------------------------------------------- status bar

class StatusBarAccessible : public QAccessibleWidget {
 public:
  explicit StatusBarAccessible(TStatusBar* bar) : QAccessibleWidget(bar, QAccessible::StatusBar) {}

  TStatusBar* bar() const { return static_cast<TStatusBar*>(widget()); }

  int childCount() const override { return bar()->panelCount(); }
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < childCount(); ++i)
      if (panels_.Find(i) == child)
        return i;
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint at = widget()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < childCount(); ++i)
      if (bar()->panelRect(i).contains(at))
        return child(i);
    return nullptr;
  }

 private:
  mutable ChildCache panels_;
};

// A text panel is a label; an owner-drawn panel shows a measure from 0 to 100.
class PanelAccessible : public ChildAccessible, public QAccessibleValueInterface {
 public:
  using ChildAccessible::ChildAccessible;

  TStatusBar* bar() const { return static_cast<TStatusBar*>(parent_->object()); }
  bool measure() const { return bar()->panelOwnerDrawn(index_); }

  QAccessible::Role role() const override {
    return measure() ? QAccessible::ProgressBar : QAccessible::StaticText;
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && !measure())
      return bar()->panelText(index_);
    if (t == QAccessible::Value && measure())
      return QStringLiteral("%1%").arg(bar()->panelValue(index_));
    return {};
  }
  QRect rect() const override {
    const QRect r = bar()->panelRect(index_);
    return QRect(bar()->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.readOnly = true;
    s.invisible = !bar()->isVisible();
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::ValueInterface && measure())
      return static_cast<QAccessibleValueInterface*>(this);
    return nullptr;
  }

  QVariant currentValue() const override { return bar()->panelValue(index_); }
  void setCurrentValue(const QVariant&) override {}
  QVariant maximumValue() const override { return 100; }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* StatusBarAccessible::child(int index) const {
  if (index < 0 || index >= childCount())
    return nullptr;
  auto* self = const_cast<StatusBarAccessible*>(this);
  return panels_.Get(index, [&] { return new PanelAccessible(self, index); });
}

// ---------------------------------------------------------------- paint boxes

// In the main window the paint box is the thumbnail grid, a list of the
// pictures; in the viewer and the print window it is the picture itself. The
// box may be asked before it has its place, so it looks at its window each time.
class PaintBoxAccessible;

// The grid's keys go to a field hidden behind it: when the keys come to the
// grid, the reader hears of the current picture rather than of that field.
class FocusFollower : public QObject {
 public:
  explicit FocusFollower(PaintBoxAccessible* list) : list_(list) {
    QCoreApplication::instance()->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  PaintBoxAccessible* list_;
};

class PaintBoxAccessible : public QAccessibleWidget {
 public:
  explicit PaintBoxAccessible(TPaintBox* box)
      : QAccessibleWidget(box, QAccessible::Client), follower_(this) {
    Remember();
  }

  TMainForm* form() const { return qobject_cast<TMainForm*>(widget()->window()); }

  QAccessible::Role role() const override {
    return form() ? QAccessible::List : QAccessible::Graphic;
  }
  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    if (form())
      s.readOnly = true;
    return s;
  }

  int childCount() const override {
    TMainForm* f = form();
    return f ? int(f->Document().Slides.Count()) : 0;
  }
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < childCount(); ++i)
      if (cells_.Find(i) == child)
        return i;
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    TMainForm* f = form();
    if (!f)
      return nullptr;
    const std::int32_t n = grid::HitPicture(widget()->mapFromGlobal(QPoint(x, y)),
                                            f->Document().Slides.Count(), f->GridColumns());
    return n > 0 ? child(n - 1) : nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    TMainForm* f = form();
    return f && f->Document().HasCurrentPicture() ? child(f->Document().CurrentPicture - 1)
                                                  : nullptr;
  }

  QStringList actionNames() const override { return {}; }

  // What a reader was last told, to tell it only what changed.
  void Announce();

  // The grid's scroll box, which holds the grid's keys.
  QWidget* keyArea() const {
    QWidget* viewport = widget()->parentWidget();
    return form() && viewport ? viewport->parentWidget() : nullptr;
  }
  bool holdsKeys() const {
    const QWidget* focus = QApplication::focusWidget();
    const QWidget* area = keyArea();
    return focus && area && (focus == area || area->isAncestorOf(focus));
  }
  void TellFocus() {
    TMainForm* f = form();
    if (f && f->Document().HasCurrentPicture() && holdsKeys())
      Send(child(f->Document().CurrentPicture - 1), QAccessible::Focus);
  }

 private:
  std::vector<std::pair<QString, QString>> Now() const;
  // The reader has just met the list: it reads what is there now.
  void Remember();

  mutable ChildCache cells_;
  std::vector<std::pair<QString, QString>> told_;  // name and description
  std::int32_t toldCurrent_ = 0;
  bool toldOnce_ = false;
  FocusFollower follower_;
};

bool FocusFollower::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    const QWidget* area = list_->keyArea();
    auto* widget = qobject_cast<QWidget*>(watched);
    // After the toolkit has told of the field itself.
    if (area && widget && area->isAncestorOf(widget))
      QMetaObject::invokeMethod(
          this, [this] { list_->TellFocus(); }, Qt::QueuedConnection);
  }
  return false;
}

// One picture of the grid, numbered from 1 as CurrentPicture is.
class CellAccessible : public ChildAccessible, public QAccessibleActionInterface {
 public:
  using ChildAccessible::ChildAccessible;

  QWidget* grid() const { return static_cast<QWidget*>(parent_->object()); }
  TMainForm* form() const { return qobject_cast<TMainForm*>(grid()->window()); }
  std::int32_t picture() const { return index_ + 1; }
  const SlideEntry* entry() const {
    TMainForm* f = form();
    if (!f || std::uint32_t(index_) >= f->Document().Slides.Count())
      return nullptr;
    return &f->Document().Slides[std::uint32_t(index_)];
  }

  bool isValid() const override { return ChildAccessible::isValid() && entry() != nullptr; }
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QString text(QAccessible::Text t) const override {
    const SlideEntry* e = entry();
    if (!e)
      return {};
    if (t == QAccessible::Name)
      return NameOnlyText(e->FileName);
    if (t == QAccessible::Description)
      return CaptionWithLfBreaks(e->Caption);
    return {};
  }
  QRect rect() const override {
    TMainForm* f = form();
    if (!f)
      return {};
    const QPoint origin = grid::CellOrigin(picture(), f->GridColumns());
    return QRect(grid()->mapToGlobal(origin), QSize(grid::kCellWidth, grid::kCellHeight));
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.selectable = true;
    s.focusable = true;
    TMainForm* f = form();
    const bool current = f && f->Document().CurrentPicture == picture();
    s.selected = current;
    s.focused = current;
    s.readOnly = true;
    s.invisible = !grid()->isVisible();
    if (!s.invisible && !grid()->visibleRegion().intersects(
                            QRect(grid::CellOrigin(picture(), f ? f->GridColumns() : 1),
                                  QSize(grid::kCellWidth, grid::kCellHeight))))
      s.offscreen = true;
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::ActionInterface)
      return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }

  QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
  // Choosing the picture is what a click on it does.
  void doAction(const QString& name) override {
    TMainForm* f = form();
    if (!f || !entry() || (name != pressAction() && name != setFocusAction()))
      return;
    const QPoint origin = grid::CellOrigin(picture(), f->GridColumns());
    f->PaintBox1MouseDown(origin + QPoint(grid::kCellWidth / 2, grid::kCellHeight / 2));
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QString PaintBoxAccessible::text(QAccessible::Text t) const {
  if (form()) {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
      return QStringLiteral("Pictures");
    return QAccessibleWidget::text(t);
  }
  // The print window shows the viewer's picture: the viewer knows its file.
  const TViewPicForm* viewer = nullptr;
  for (QObject* o = widget(); o && !viewer; o = o->parent())
    viewer = qobject_cast<const TViewPicForm*>(o);
  const auto* print = qobject_cast<const TPrintForm*>(widget()->window());
  const imagora::DibHandle* picture = print    ? &print->Picture()
                                      : viewer ? &viewer->Picture.get()
                                               : nullptr;
  if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
    return viewer ? NameOnlyText(viewer->FileName) : QString();
  if (t == QAccessible::Description && widget()->accessibleDescription().isEmpty()) {
    if (!picture || !picture->Info)
      return {};
    const auto& h = picture->Info->bmiHeader;
    return QStringLiteral("%1 \u00D7 %2 pixels").arg(h.biWidth).arg(std::abs(h.biHeight));
  }
  return QAccessibleWidget::text(t);
}

QAccessibleInterface* PaintBoxAccessible::child(int index) const {
  if (index < 0 || index >= childCount())
    return nullptr;
  auto* self = const_cast<PaintBoxAccessible*>(this);
  return cells_.Get(index, [&] { return new CellAccessible(self, index); });
}

std::vector<std::pair<QString, QString>> PaintBoxAccessible::Now() const {
  std::vector<std::pair<QString, QString>> now;
  if (TMainForm* f = form()) {
    now.reserve(f->Document().Slides.Count());
    for (const SlideEntry& e : f->Document().Slides)
      now.emplace_back(NameOnlyText(e.FileName), CaptionWithLfBreaks(e.Caption));
  }
  return now;
}

void PaintBoxAccessible::Remember() {
  TMainForm* f = form();
  if (!f)
    return;
  told_ = Now();
  toldCurrent_ = f->Document().CurrentPicture;
  toldOnce_ = true;
}

void PaintBoxAccessible::Announce() {
  TMainForm* f = form();
  if (!f)
    return;
  if (!toldOnce_) {
    Remember();
    return;
  }
  const SlideDocument& doc = f->Document();
  std::vector<std::pair<QString, QString>> now = Now();

  const int before = int(told_.size());
  const int after = int(now.size());
  for (int i = 0; i < std::min(before, after); ++i) {
    if (told_[std::size_t(i)].first != now[std::size_t(i)].first)
      Send(child(i), QAccessible::NameChanged);
    if (told_[std::size_t(i)].second != now[std::size_t(i)].second)
      Send(child(i), QAccessible::DescriptionChanged);
  }
  for (int i = before - 1; i >= after; --i) {
    if (QAccessibleInterface* gone = cells_.Find(i)) {
      Send(gone, QAccessible::ObjectDestroyed);
      cells_.Drop(i);
    }
  }
  for (int i = before; i < after; ++i)
    Send(child(i), QAccessible::ObjectCreated);

  if (doc.CurrentPicture != toldCurrent_) {
    if (toldCurrent_ >= 1 && toldCurrent_ <= after)
      Send(child(toldCurrent_ - 1), QAccessible::SelectionRemove);
    if (doc.HasCurrentPicture()) {
      Send(child(doc.CurrentPicture - 1), QAccessible::Selection);
      // Focus follows only where the keys are.
      TellFocus();
    }
  }
  told_ = std::move(now);
  toldCurrent_ = doc.CurrentPicture;
}

// ---------------------------------------------------------------- factory

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (!widget)
    return nullptr;
  if (className == QLatin1String("lumaret::TMainForm") ||
      className == QLatin1String("lumaret::TViewPicForm") ||
      className == QLatin1String("lumaret::TPrintForm") ||
      className == QLatin1String("lumaret::PlayerWindow"))
    return new WindowAccessible(widget);
  if (className == QLatin1String("lumaret::PlayerPicture"))
    return new QAccessibleWidget(widget, QAccessible::Graphic);
  if (className == QLatin1String("lumaret::TStatusBar"))
    return new StatusBarAccessible(static_cast<TStatusBar*>(widget));
  if (className == QLatin1String("lumaret::TImageBtn"))
    return new ImageBtnAccessible(static_cast<TImageBtn*>(widget));
  if (className == QLatin1String("QToolButton")) {
    auto* button = static_cast<QToolButton*>(widget);
    if (qobject_cast<TMainForm*>(button->window()) && !button->menu())
      return new PushToolButtonAccessible(button);
    return nullptr;
  }
  // The paint box may have no meta-object of its own: it is asked for as a QWidget.
  if (className == QLatin1String("QWidget") || className == QLatin1String("lumaret::TPaintBox"))
    if (auto* box = dynamic_cast<TPaintBox*>(widget))
      return new PaintBoxAccessible(box);
  return nullptr;
}

}  // namespace

void InstallAccessibility() {
  QAccessible::installFactory(Factory);
}

void AnnounceGridChange(QWidget* grid) {
  if (!grid || (!QAccessible::isActive() && !GridListener()))
    return;
  if (auto* list = dynamic_cast<PaintBoxAccessible*>(QAccessible::queryAccessibleInterface(grid)))
    list->Announce();
}

void ListenToGridAnnouncements(std::function<void(QAccessibleEvent*)> listener) {
  GridListener() = std::move(listener);
}

}  // namespace lumaret
