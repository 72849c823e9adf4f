#include "app/window/PreviewDialog.h"

#include <QDialogButtonBox>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

QImage ReduceKeepingStrokes(const QImage& page, double factor) {
  if (page.isNull() || !(factor > 0) || factor >= 1) return page;
  const QImage src = page.convertToFormat(QImage::Format_RGB32);
  const int w = src.width(), h = src.height();
  const int ow = std::clamp(static_cast<int>(std::ceil(w * factor)), 1, w);
  const int oh = std::clamp(static_cast<int>(std::ceil(h * factor)), 1, h);
  std::vector<int> column(static_cast<size_t>(w));
  for (int x = 0; x < w; ++x) column[static_cast<size_t>(x)] = std::min(ow - 1, static_cast<int>(x * factor));
  QImage out(ow, oh, QImage::Format_RGB32);
  out.fill(0xFFFFFFFFu);
  for (int y = 0; y < h; ++y) {
    auto* o = reinterpret_cast<QRgb*>(out.scanLine(std::min(oh - 1, static_cast<int>(y * factor))));
    const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      QRgb& d = o[column[static_cast<size_t>(x)]];
      const QRgb v = s[x];
      if (v == d) continue;
      d = qRgb(std::min(qRed(d), qRed(v)), std::min(qGreen(d), qGreen(v)), std::min(qBlue(d), qBlue(v)));
    }
  }
  return out;
}

// The page's view: the wheel zooms about the pointer, dragging pans.
class PreviewView : public QGraphicsView {
 public:
  PreviewView(QGraphicsScene* scene, PreviewDialog* owner) : QGraphicsView(scene), owner_(owner) {
    setDragMode(QGraphicsView::ScrollHandDrag);
    setRenderHint(QPainter::SmoothPixmapTransform);
    setBackgroundBrush(QColor(128, 128, 128));
    setTransformationAnchor(QGraphicsView::NoAnchor);
  }

 protected:
  void wheelEvent(QWheelEvent* e) override {
    const int steps = e->angleDelta().y();
    if (steps == 0) return;
    owner_->ZoomAbout(std::pow(1.25, steps / 120.0), e->position().toPoint());
    e->accept();
  }

 private:
  PreviewDialog* owner_;
};

namespace {

PreviewPages Pages(const std::vector<QImage>& images) {
  PreviewPages pages;
  for (const QImage& i : images) pages.push_back({i, {}});
  return pages;
}

}  // namespace

PreviewDialog::PreviewDialog(PreviewPages pages, int dpi, const QString& title, QWidget* parent)
    : QDialog(parent), pages_(std::move(pages)), dpi_(dpi) {
  Build(title);
}

PreviewDialog::PreviewDialog(const std::vector<QImage>& pages, int dpi, const QString& title, QWidget* parent)
    : QDialog(parent), pages_(Pages(pages)), dpi_(dpi) {
  Build(title);
}

void PreviewDialog::Build(const QString& title) {
  setWindowTitle(title);
  setSizeGripEnabled(true);
  auto* v = new QVBoxLayout(this);
  auto* drawingBar = new QHBoxLayout;
  previousDrawing_ = new QPushButton(QStringLiteral("◀ 前の図面"));
  nextDrawing_ = new QPushButton(QStringLiteral("次の図面 ▶"));
  drawingName_ = new QLabel;
  drawingBar->addWidget(previousDrawing_);
  drawingBar->addWidget(drawingName_, 1);
  drawingBar->addWidget(nextDrawing_);
  v->addLayout(drawingBar);
  for (QWidget* w : std::initializer_list<QWidget*>{previousDrawing_, nextDrawing_, drawingName_}) w->hide();
  auto* bar = new QHBoxLayout;
  previous_ = new QPushButton(QStringLiteral("◀ 前のページ"));
  next_ = new QPushButton(QStringLiteral("次のページ ▶"));
  pageNumber_ = new QLabel;
  auto* fit = new QPushButton(QStringLiteral("全体表示(&F)"));
  auto* real = new QPushButton(QStringLiteral("100%(&1)"));
  auto* zoomIn = new QPushButton(QStringLiteral("拡大(&+)"));
  auto* zoomOut = new QPushButton(QStringLiteral("縮小(&-)"));
  zoomText_ = new QLabel;
  for (QWidget* w : std::initializer_list<QWidget*>{previous_, pageNumber_, next_}) bar->addWidget(w);
  bar->addStretch(1);
  for (QWidget* w : std::initializer_list<QWidget*>{fit, real, zoomIn, zoomOut, zoomText_}) bar->addWidget(w);
  v->addLayout(bar);
  scene_ = new QGraphicsScene(this);
  picture_ = scene_->addPixmap(QPixmap());
  picture_->setTransformationMode(Qt::SmoothTransformation);
  view_ = new PreviewView(scene_, this);
  v->addWidget(view_, 1);
  warnings_ = new QLabel;
  warnings_->setWordWrap(true);
  warnings_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  v->addWidget(warnings_);
  auto* hint = new QLabel(QStringLiteral("ホイールで拡大・縮小、ドラッグで移動、PageUp/PageDownでページ送り"));
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(hint, 1);
  bottom->addWidget(close);
  v->addLayout(bottom);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(previous_, &QPushButton::clicked, this, [this] { ShowPage(page_ - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { ShowPage(page_ + 1); });
  connect(previousDrawing_, &QPushButton::clicked, this, [this] { ShowDrawing(drawing_ - 1); });
  connect(nextDrawing_, &QPushButton::clicked, this, [this] { ShowDrawing(drawing_ + 1); });
  connect(fit, &QPushButton::clicked, this, &PreviewDialog::FitToWindow);
  connect(real, &QPushButton::clicked, this, &PreviewDialog::RealSize);
  connect(zoomIn, &QPushButton::clicked, this, [this] { ZoomBy(1.25); });
  connect(zoomOut, &QPushButton::clicked, this, [this] { ZoomBy(0.8); });

  // Most of the screen, never more than it: Close stays reachable.
  const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  resize(room.width() * 4 / 5, room.height() * 4 / 5);
  ShowPage(0);
}

PreviewDialog::~PreviewDialog() = default;

void PreviewDialog::SetDrawings(const QStringList& names, int current, std::function<PreviewPages(int)> load) {
  drawings_ = names;
  drawing_ = std::clamp(current, 0, std::max(0, static_cast<int>(names.size()) - 1));
  load_ = std::move(load);
  const bool several = names.size() > 1;
  for (QWidget* w : std::initializer_list<QWidget*>{previousDrawing_, nextDrawing_}) w->setVisible(several);
  drawingName_->setVisible(!names.isEmpty());
  UpdateControls();
}

void PreviewDialog::ShowDrawing(int index) {
  if (drawings_.isEmpty() || !load_) return;
  index = std::clamp(index, 0, static_cast<int>(drawings_.size()) - 1);
  if (index == drawing_) return;
  drawing_ = index;
  pages_ = load_(drawing_);
  shownFactor_ = 0;
  fitted_ = true;
  ShowPage(0);
}

void PreviewDialog::ShowPage(int index) {
  if (pages_.empty()) {
    page_ = 0;
    shown_ = QImage();
    picture_->setPixmap(QPixmap());
    pageNumber_->setText(QStringLiteral("印刷するものがありません。"));
    UpdateControls();
    return;
  }
  const int wanted = std::clamp(index, 0, PageCount() - 1);
  if (wanted != page_) shownFactor_ = 0;
  page_ = wanted;
  const QImage& page = pages_[static_cast<size_t>(page_)].Image;
  scene_->setSceneRect(0, 0, page.width(), page.height());
  if (fitted_)
    FitToWindow();
  else
    UpdatePicture();
  UpdateControls();
}

QString PreviewDialog::WarningText() const { return warnings_->text(); }

void PreviewDialog::FitToWindow() {
  fitted_ = true;
  if (pages_.empty()) return UpdateControls();
  const QImage& page = pages_[static_cast<size_t>(page_)].Image;
  const QSize room = view_->viewport()->size() - QSize(4, 4);
  if (page.width() <= 0 || page.height() <= 0 || room.width() <= 0 || room.height() <= 0) return;
  SetZoom(std::min(room.width() / static_cast<double>(page.width()), room.height() / static_cast<double>(page.height())));
  view_->centerOn(page.width() / 2.0, page.height() / 2.0);
  fitted_ = true;
}

void PreviewDialog::RealSize() { ZoomBy(view_->logicalDpiX() / static_cast<double>(dpi_) / Zoom()); }

void PreviewDialog::ZoomBy(double factor) {
  const QPointF centre = view_->mapToScene(view_->viewport()->rect().center());
  SetZoom(Zoom() * factor);
  view_->centerOn(centre);
}

void PreviewDialog::ZoomAbout(double factor, const QPoint& viewPoint) {
  // The page point under the pointer stays under it.
  const QPointF held = view_->mapToScene(viewPoint);
  SetZoom(Zoom() * factor);
  const QPoint moved = view_->mapFromScene(held) - viewPoint;
  view_->horizontalScrollBar()->setValue(view_->horizontalScrollBar()->value() + moved.x());
  view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->value() + moved.y());
}

void PreviewDialog::SetZoom(double zoom) {
  const double z = std::clamp(zoom, 0.02, 8.0);
  fitted_ = false;
  view_->setTransform(QTransform::fromScale(z, z));
  UpdatePicture();
  UpdateControls();
}

double PreviewDialog::Zoom() const { return view_->transform().m11(); }

QPointF PreviewDialog::PagePointAt(const QPoint& viewPoint) const { return view_->mapToScene(viewPoint); }

void PreviewDialog::UpdatePicture() {
  if (pages_.empty()) return;
  const QImage& page = pages_[static_cast<size_t>(page_)].Image;
  const double factor = std::min(1.0, Zoom());
  if (shownFactor_ > 0 && std::abs(factor - shownFactor_) < 1e-6) return;
  shown_ = factor < 1 ? ReduceKeepingStrokes(page, factor) : page;
  shownFactor_ = factor;
  picture_->setPixmap(QPixmap::fromImage(shown_));
  picture_->setScale(shown_.width() > 0 ? page.width() / static_cast<double>(shown_.width()) : 1.0);
}

void PreviewDialog::UpdateControls() {
  previous_->setEnabled(page_ > 0);
  next_->setEnabled(page_ + 1 < PageCount());
  previousDrawing_->setEnabled(drawing_ > 0);
  nextDrawing_->setEnabled(drawing_ + 1 < drawings_.size());
  if (!drawings_.isEmpty())
    drawingName_->setText(QStringLiteral("%1　（%2 / %3 図面）").arg(drawings_[drawing_]).arg(drawing_ + 1).arg(drawings_.size()));
  if (!pages_.empty()) {
    pageNumber_->setText(QStringLiteral("%1 / %2 ページ").arg(page_ + 1).arg(PageCount()));
    const QStringList& w = pages_[static_cast<size_t>(page_)].Warnings;
    warnings_->setText(w.isEmpty() ? QStringLiteral("このページに警告はありません。") : w.join("\n"));
  } else {
    warnings_->clear();
  }
  const double real = view_->logicalDpiX() / static_cast<double>(dpi_);
  zoomText_->setText(QStringLiteral("%1%").arg(std::lround(100 * Zoom() / real)));
}

void PreviewDialog::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  if (fitted_) FitToWindow();
}

void PreviewDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  // The view has its final size only once shown and laid out.
  if (fitted_) {
    FitToWindow();
    QTimer::singleShot(0, this, [this] {
      if (fitted_) FitToWindow();
    });
  }
}

void PreviewDialog::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_PageDown) return ShowPage(page_ + 1);
  if (e->key() == Qt::Key_PageUp) return ShowPage(page_ - 1);
  QDialog::keyPressEvent(e);
}
