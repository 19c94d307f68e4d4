// Walks a device's client table through the library's exports, the way
// the host does: one KAV7420PlugGetClinetInfor, wait for its answer.
//   clientinfo_walk_driver ADDRESS PORT [TIMEOUT_MS]
// Prints "rows N status S walk_us T" (T the request alone) and exits 0 on status 0.
#include <arpa/inet.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "kav7420_clientinfo.h"

namespace {

struct Answer {
  bool done = false;
  int status = -1;
  int rows = 0;
};

void OnAnswer(ClientResult* result, int32_t count, ClientRow**, void* context) {
  auto* answer = static_cast<Answer*>(context);
  answer->done = true;
  answer->status = result->status;
  answer->rows = count;
  if (result->status != 0) std::fprintf(stderr, "%s\n", result->message);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s ADDRESS PORT [TIMEOUT_MS]\n", argv[0]);
    return 2;
  }
  QCoreApplication app(argc, argv);
  in_addr address{};
  if (inet_pton(AF_INET, argv[1], &address) != 1) return 2;
  KAV7420PlugSetSnmpParameter(address.s_addr, "public", "private", std::atoi(argv[2]),
                              argc > 3 ? std::atoi(argv[3]) : 4000);
  Answer answer;
  QElapsedTimer clock;
  clock.start();
  KAV7420PlugGetClinetInfor(argv[1], &OnAnswer, nullptr, &answer);
  QTimer wake;
  wake.start(100);
  while (!answer.done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  std::printf("rows %d status %d walk_us %lld\n", answer.rows, answer.status,
              static_cast<long long>(clock.nsecsElapsed() / 1000));
  return answer.status == 0 ? 0 : 1;
}
