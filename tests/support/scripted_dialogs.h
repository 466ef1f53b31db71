#pragma once

#include <QMap>
#include <QString>
#include <QUrl>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include "ui/settings_store.h"
#include "ui/user_dialogs.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace tactoria::testing {

// A UserDialogs that records every dialog and answers from queues the test fills.
// When a queue runs dry it answers No / Cancel / nothing and counts the surprise.
class ScriptedDialogs : public UserDialogs {
 public:
  struct Shown {
    QString kind, title, text;  // kind: "message", "question", "input", "open", "save", "document"
    MessageIcon icon = MessageIcon::None;
    bool withCancel = false;
  };

  std::vector<Shown> shown;
  std::deque<Answer> answers;
  std::deque<std::optional<QString>> inputs;
  using Choice = std::optional<FileChoice>;
  std::deque<Choice> openChoices, saveChoices;
  int unexpected = 0;
  // Runs inside every message box and question, as a modal loop would run pending events.
  std::function<void(const Shown&)> whileShown;

  void Message(QWidget*, const QString& title, const QString& text, MessageIcon icon) override {
    Record({"message", title, text, icon});
  }
  Answer Question(QWidget*, const QString& title, const QString& text, bool withCancel) override {
    Record({"question", title, text, MessageIcon::None, withCancel});
    return Pop(answers, withCancel ? Answer::Cancel : Answer::No);
  }
  std::optional<QString> InputBox(QWidget*, const QString& title, const QString& prompt,
                                  const QString& proposed) override {
    Record({"input", title, prompt + "|" + proposed});
    return Pop(inputs, {});
  }
  Choice ChooseOpenFile(QWidget*, const QString& title, const QString& folder, const QString&) override {
    Record({"open", title, folder});
    return Pop(openChoices, {});
  }
  Choice ChooseSaveFile(QWidget*, const QString& title, const QString& folder, const QString&) override {
    Record({"save", title, folder});
    return Pop(saveChoices, {});
  }

  bool OpenDocument(const QUrl& url) override {
    Record({"document", {}, url.toString()});
    return true;
  }

  std::vector<Shown> Messages() const {  // not questions or file dialogs
    std::vector<Shown> result;
    for (const auto& s : shown)
      if (s.kind == "message") result.push_back(s);
    return result;
  }
  void Clear() { shown.clear(); }

 private:
  void Record(const Shown& s) {
    shown.push_back(s);
    if (whileShown) whileShown(s);
  }
  template <typename T>
  T Pop(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return ++unexpected, fallback;
    T value = queue.front();
    queue.pop_front();
    return value;
  }
};

// Settings kept in memory, so tests never touch the user's settings.
class MemorySettings : public SettingsStore {
 public:
  QString Value(const QString& section, const QString& key) const override {
    return values_.value(section + '/' + key);
  }
  void SetValue(const QString& section, const QString& key, const QString& value) override {
    values_[section + '/' + key] = value;
  }

 private:
  QMap<QString, QString> values_;
};

}  // namespace tactoria::testing
