#pragma once
// The main view: what the main window shows while no logger is connected --
// a black area with the product's logo at the top right and its title banner
// at the bottom right, both drawn unscaled.
#include <QImage>
#include <QWidget>

class CVTrelix7CommDoc;

class CVTrelix7CommView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kBannerWidth = 480;
  static constexpr int kBannerHeight = 112;
  static constexpr int kLogoWidth = 142;
  static constexpr int kLogoHeight = 65;

  explicit CVTrelix7CommView(CVTrelix7CommDoc* document, QWidget* parent = nullptr);

  // Loads the pictures of the current language (the English pair while the
  // English catalogue is in use). A picture that cannot be loaded stays empty.
  void LoadPictures();

  const QImage& Banner() const { return banner_; }
  const QImage& Logo() const { return logo_; }
  // Where the pictures go in a client area of the given size.
  static QPoint BannerPosition(const QSize& client, const QSize& picture);
  static QPoint LogoPosition(const QSize& client, const QSize& picture);

  CVTrelix7CommDoc* Document() const { return document_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CVTrelix7CommDoc* document_;
  QImage banner_;
  QImage logo_;
};
