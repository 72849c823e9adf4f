// The preview of a drawing's pages: one page at a time, zoom with the wheel
// or the buttons (fit to the window, real size), panning by dragging, and
// page navigation. The picture follows the dialog's size while fitted.
#pragma once

#include <QDialog>
#include <QImage>
#include <vector>

class QGraphicsPixmapItem;
class QGraphicsScene;
class QLabel;
class QPushButton;
class PreviewView;

class PreviewDialog : public QDialog {
  Q_OBJECT
 public:
  // `pages` drawn at `dpi`; the title names the drawing.
  PreviewDialog(std::vector<QImage> pages, int dpi, const QString& title, QWidget* parent = nullptr);
  ~PreviewDialog() override;

  void ShowPage(int index);  // kept within the pages
  int Page() const { return page_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  void FitToWindow();
  void RealSize();           // the paper's size on the screen
  // About the view's centre, or about the pointer (the wheel).
  void ZoomBy(double factor, bool aboutPointer = false);
  double Zoom() const;       // screen pixels per page pixel
  bool Fitted() const { return fitted_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void UpdateControls();

  std::vector<QImage> pages_;
  int dpi_;
  int page_ = 0;
  bool fitted_ = true;
  QGraphicsScene* scene_;
  QGraphicsPixmapItem* picture_;
  PreviewView* view_;
  QLabel *pageNumber_, *zoomText_;
  QPushButton *previous_, *next_;
};
