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
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

// The page's view: the wheel zooms about the pointer, dragging pans.
class PreviewView : public QGraphicsView {
 public:
  PreviewView(QGraphicsScene* scene, PreviewDialog* owner) : QGraphicsView(scene), owner_(owner) {
    setDragMode(QGraphicsView::ScrollHandDrag);
    setRenderHint(QPainter::SmoothPixmapTransform);
    setBackgroundBrush(QColor(128, 128, 128));
  }

 protected:
  void wheelEvent(QWheelEvent* e) override {
    const int steps = e->angleDelta().y();
    if (steps == 0) return;
    owner_->ZoomBy(std::pow(1.25, steps / 120.0), true);
    e->accept();
  }

 private:
  PreviewDialog* owner_;
};

PreviewDialog::PreviewDialog(std::vector<QImage> pages, int dpi, const QString& title, QWidget* parent)
    : QDialog(parent), pages_(std::move(pages)), dpi_(dpi) {
  setWindowTitle(title);
  setSizeGripEnabled(true);
  auto* v = new QVBoxLayout(this);
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
  auto* hint = new QLabel(QStringLiteral("ホイールで拡大・縮小、ドラッグで移動、PageUp/PageDownでページ送り"));
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(hint, 1);
  bottom->addWidget(close);
  v->addLayout(bottom);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(previous_, &QPushButton::clicked, this, [this] { ShowPage(page_ - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { ShowPage(page_ + 1); });
  connect(fit, &QPushButton::clicked, this, &PreviewDialog::FitToWindow);
  connect(real, &QPushButton::clicked, this, &PreviewDialog::RealSize);
  connect(zoomIn, &QPushButton::clicked, this, [this] { ZoomBy(1.25); });
  connect(zoomOut, &QPushButton::clicked, this, [this] { ZoomBy(0.8); });

  // Most of the screen, never more than it: Close stays reachable.
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  resize(room.width() * 4 / 5, room.height() * 4 / 5);
  ShowPage(0);
}

PreviewDialog::~PreviewDialog() = default;

void PreviewDialog::ShowPage(int index) {
  if (pages_.empty()) {
    pageNumber_->setText(QStringLiteral("印刷するものがありません。"));
    UpdateControls();
    return;
  }
  page_ = std::clamp(index, 0, PageCount() - 1);
  picture_->setPixmap(QPixmap::fromImage(pages_[static_cast<size_t>(page_)]));
  scene_->setSceneRect(picture_->boundingRect());
  if (fitted_) FitToWindow();
  UpdateControls();
}

void PreviewDialog::FitToWindow() {
  fitted_ = true;
  if (!pages_.empty()) view_->fitInView(picture_, Qt::KeepAspectRatio);
  UpdateControls();
}

void PreviewDialog::RealSize() { ZoomBy(view_->logicalDpiX() / static_cast<double>(dpi_) / Zoom()); }

void PreviewDialog::ZoomBy(double factor, bool aboutPointer) {
  const double z = std::clamp(Zoom() * factor, 0.02, 8.0);
  fitted_ = false;
  view_->setTransformationAnchor(aboutPointer ? QGraphicsView::AnchorUnderMouse : QGraphicsView::AnchorViewCenter);
  view_->scale(z / Zoom(), z / Zoom());
  UpdateControls();
}

double PreviewDialog::Zoom() const { return view_->transform().m11(); }

void PreviewDialog::UpdateControls() {
  previous_->setEnabled(page_ > 0);
  next_->setEnabled(page_ + 1 < PageCount());
  if (!pages_.empty()) pageNumber_->setText(QStringLiteral("%1 / %2 ページ").arg(page_ + 1).arg(PageCount()));
  const double real = view_->logicalDpiX() / static_cast<double>(dpi_);
  zoomText_->setText(QStringLiteral("%1%").arg(std::lround(100 * Zoom() / real)));
}

void PreviewDialog::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  if (fitted_) FitToWindow();
}

void PreviewDialog::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_PageDown) return ShowPage(page_ + 1);
  if (e->key() == Qt::Key_PageUp) return ShowPage(page_ - 1);
  QDialog::keyPressEvent(e);
}
