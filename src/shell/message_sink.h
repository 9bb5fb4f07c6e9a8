// Where the main window tells the user that something did not work.
//
// The desktop shows a modal message box captioned "Vantorel" with a warning
// icon (QtMessageSink); tests pass a sink that records the text.
#pragma once

#include <QString>

class QWidget;

namespace vantorel {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void warn(const QString& text) = 0;
};

class QtMessageSink : public MessageSink {
  public:
    explicit QtMessageSink(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }
    void warn(const QString& text) override;

  private:
    QWidget* owner_;
};

}  // namespace vantorel
