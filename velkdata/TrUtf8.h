#ifndef VELKDATA_VELKDATA_TRUTF8_H
#define VELKDATA_VELKDATA_TRUTF8_H

#include <QObject>
#include <QString>
#include <QtGlobal>

// Put right after Q_OBJECT in every QObject class of the library; like
// Q_OBJECT it leaves the class in private access. The model's
// object classes offer the static translation functions `tr` and `trUtf8`;
// Q_OBJECT declares both under Qt 5, but Qt 6 dropped `trUtf8`. Under Qt 6
// this declares it with Qt 5's signature, result and deprecation mark, so a
// host sees the same class interface under both majors.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#define VELKDATA_TR_UTF8                                                   \
 public:                                                                   \
  QT_DEPRECATED static inline QString trUtf8(                              \
      const char* sourceText, const char* disambiguation = nullptr,        \
      int n = -1) {                                                        \
    return staticMetaObject.tr(sourceText, disambiguation, n);             \
  }                                                                        \
                                                                           \
 private:
#else
#define VELKDATA_TR_UTF8
#endif

#endif
