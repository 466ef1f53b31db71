#pragma once

#include <QObject>
#include <QPointer>

#include "ui/order_audition.h"

namespace tactoria {

class AudioPlayer;
class MainWindowState;

// The Shuffle dialog's Play through the Preview's player: the open data is copied, its beats put
// in the listed order (as Apply would) and rendered with the window's settings.
class PreviewOrderAudition : public QObject, public OrderAudition {
  Q_OBJECT

 public:
  PreviewOrderAudition(MainWindowState& window, AudioPlayer& player, QObject* parent = nullptr);

  QString PlayOrder(const std::vector<std::int32_t>& order, QWidget* owner) override;
  void StopOrder() override;
  bool PlayingOrder() const override { return playing_; }
  void SetPlayingHandler(std::function<void(bool playing)> handler) override {
    handler_ = std::move(handler);
  }

 private:
  void SetPlaying(bool playing);

  MainWindowState& window_;
  QPointer<AudioPlayer> player_;
  bool playing_ = false;
  std::function<void(bool)> handler_;
};

}  // namespace tactoria
