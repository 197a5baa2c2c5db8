#pragma once
// The read-only line list of the data viewer: rows are selected with the
// mouse and keyboard as in a list, Ctrl+A selects all, and Copy puts the
// selected lines on the clipboard in their order, one line break between two.
#include <QListView>

class CTextLinesModel;

class CTextLinesView : public QListView {
  Q_OBJECT
 public:
  explicit CTextLinesView(QWidget* parent = nullptr);

  // Shows the model's lines (the view does not own the model).
  void SetLines(CTextLinesModel* model);
  // The selected lines as Copy puts them on the clipboard.
  QString SelectedText() const;
  void CopySelection() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CTextLinesModel* lines_ = nullptr;
};
