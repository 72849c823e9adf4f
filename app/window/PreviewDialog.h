// The preview of the list's drawings: one page at a time with the page's
// warnings under it, zoom with the wheel (about the pointer) or the buttons
// (fit to the window, real size), panning by dragging, page and drawing
// navigation. The picture follows the dialog's size while fitted, and no
// line of the page is ever thinner than a screen pixel: reduced, a screen
// pixel shows the darkest of the page pixels it covers.
#pragma once

#include <QDialog>
#include <QImage>
#include <QStringList>
#include <functional>
#include <vector>

class QGraphicsPixmapItem;
class QGraphicsScene;
class QLabel;
class QPushButton;
class PreviewView;

struct PreviewPage {
  QImage Image;
  QStringList Warnings;  // what the page lost, in the user's words
};
using PreviewPages = std::vector<PreviewPage>;

// `page` reduced by `factor` (0 < factor < 1) keeping every stroke: each
// pixel of the result holds the darkest value of the pixels it covers.
QImage ReduceKeepingStrokes(const QImage& page, double factor);

class PreviewDialog : public QDialog {
  Q_OBJECT
 public:
  // `pages` drawn at `dpi`; the title names the drawing.
  PreviewDialog(PreviewPages pages, int dpi, const QString& title, QWidget* parent = nullptr);
  PreviewDialog(const std::vector<QImage>& pages, int dpi, const QString& title, QWidget* parent = nullptr);
  ~PreviewDialog() override;

  // Lets the dialog step through a list of drawings: `load` draws drawing i.
  void SetDrawings(const QStringList& names, int current, std::function<PreviewPages(int)> load);
  void ShowDrawing(int index);  // kept within the list
  int Drawing() const { return drawing_; }

  void ShowPage(int index);  // kept within the pages
  int Page() const { return page_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  QString WarningText() const;
  void FitToWindow();
  void RealSize();           // the paper's size on the screen
  // About the view's centre, or about a point of the view (the wheel's pointer).
  void ZoomBy(double factor);
  void ZoomAbout(double factor, const QPoint& viewPoint);
  double Zoom() const;       // screen pixels per page pixel
  // The page pixel under a point of the view.
  QPointF PagePointAt(const QPoint& viewPoint) const;
  bool Fitted() const { return fitted_; }
  // The picture as shown now: the page, or its reduction at the zoom.
  const QImage& Shown() const { return shown_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void Build(const QString& title);
  void SetZoom(double zoom);
  void UpdatePicture();
  void UpdateControls();

  PreviewPages pages_;
  int dpi_;
  int page_ = 0;
  bool fitted_ = true;
  QStringList drawings_;
  int drawing_ = 0;
  std::function<PreviewPages(int)> load_;
  QImage shown_;
  double shownFactor_ = 0;  // the reduction shown_ holds (1: the page itself)
  QGraphicsScene* scene_;
  QGraphicsPixmapItem* picture_;
  PreviewView* view_;
  QLabel *pageNumber_, *zoomText_, *warnings_, *drawingName_;
  QPushButton *previous_, *next_, *previousDrawing_, *nextDrawing_;
};
