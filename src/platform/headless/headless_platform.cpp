#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace vartenos {

bool LerRoteiroTexto(const std::string& text, const std::string& name, std::vector<EventoRoteiro>& out,
                     std::string& error) {
  std::istringstream in(text);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    std::istringstream ls(line);
    long long t = 0;
    long long code = 0;
    std::string kind;
    std::string extra;
    const bool ok = static_cast<bool>(ls >> t >> kind >> code) && !(ls >> extra);
    EventoRoteiro e;
    if (ok && kind == "down") {
      e.tipo = EventoRoteiro::Down;
    } else if (ok && kind == "up") {
      e.tipo = EventoRoteiro::Up;
    } else if (ok && kind == "press") {
      e.tipo = EventoRoteiro::Press;
    } else {
      error = name + ":" + std::to_string(n) +
              ": expected \"T down VK\", \"T up VK\" or \"T press CODE\", got \"" + line + "\"";
      return false;
    }
    if (t < 0 || t > std::numeric_limits<int32_t>::max()) {
      error = name + ":" + std::to_string(n) + ": time out of range: " + std::to_string(t);
      return false;
    }
    if (code < 0 || code > 32767) {
      error = name + ":" + std::to_string(n) + ": key code out of range: " + std::to_string(code);
      return false;
    }
    e.t = static_cast<int32_t>(t);
    e.codigo = static_cast<int16_t>(code);
    out.push_back(e);
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const EventoRoteiro& a, const EventoRoteiro& b) { return a.t < b.t; });
  return true;
}

bool LerRoteiro(const std::string& path, std::vector<EventoRoteiro>& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the script";
    return false;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  return LerRoteiroTexto(ss.str(), path, out, error);
}

HeadlessPlatform::HeadlessPlatform(std::vector<EventoRoteiro> script, int32_t until)
    : script_(std::move(script)), until_(until) {
  std::stable_sort(script_.begin(), script_.end(),
                   [](const EventoRoteiro& a, const EventoRoteiro& b) { return a.t < b.t; });
}

void HeadlessPlatform::Agendar(const EventoRoteiro& e) {
  // Events delivered long ago are dropped now and then, so hours of scheduled keys take no more room
  // than a few minutes of them.
  if (next_ >= 4096) {
    script_.erase(script_.begin(), script_.begin() + static_cast<std::ptrdiff_t>(next_));
    next_ = 0;
  }
  auto pos = std::upper_bound(script_.begin() + static_cast<std::ptrdiff_t>(next_), script_.end(), e,
                              [](const EventoRoteiro& a, const EventoRoteiro& b) { return a.t < b.t; });
  script_.insert(pos, e);
}

int32_t HeadlessPlatform::ProximoEvento() const {
  return next_ < script_.size() ? script_[next_].t : EventSink::kNever;
}

void HeadlessPlatform::DoEvents(EventSink& sink) {
  // Key events due by now, in order, then the timers due by now.
  while (next_ < script_.size() && script_[next_].t <= clock_ && !sink.Leaving()) {
    const EventoRoteiro& e = script_[next_++];
    switch (e.tipo) {
      case EventoRoteiro::Down:
        sink.KeyDown(e.codigo);
        break;
      case EventoRoteiro::Up:
        sink.KeyUp(e.codigo);
        break;
      case EventoRoteiro::Press:
        sink.KeyPress(e.codigo);
        break;
    }
  }
  if (!sink.Leaving() && sink.NextTimerDue() <= clock_) sink.FireTimers(clock_);
}

bool HeadlessPlatform::Avancar(int32_t t, EventSink& sink) {
  if (t > until_) {
    clock_ = until_;
    if (!closed_) {
      closed_ = true;
      sink.CloseRequested();
    }
    return false;
  }
  clock_ = std::max(clock_, t);
  return true;
}

void HeadlessPlatform::WaitUntil(int32_t deadline, EventSink& sink) {
  DoEvents(sink);
  while (!sink.Leaving()) {
    const int32_t next = std::min(ProximoEvento(), sink.NextTimerDue());
    if (next > deadline) break;
    if (!Avancar(next, sink)) return;
    DoEvents(sink);
  }
  if (!sink.Leaving()) Avancar(deadline, sink);
}

void HeadlessPlatform::WaitAnyEvent(EventSink& sink) {
  if (sink.Leaving()) return;
  const int32_t next = std::min(ProximoEvento(), sink.NextTimerDue());
  if (next == EventSink::kNever) {
    // Nothing will ever happen again: the run is over.
    Avancar(until_ == std::numeric_limits<int32_t>::max() ? until_ : until_ + 1, sink);
    if (!closed_) {
      closed_ = true;
      sink.CloseRequested();
    }
    return;
  }
  if (!Avancar(next, sink)) return;
  DoEvents(sink);
}

void HeadlessPlatform::MessageBox(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "message box \"%s\": %s\n", title.c_str(), text.c_str());
}

}  // namespace vartenos
