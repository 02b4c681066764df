// Prints exchange request paths for the score server load test, one a line.
//   bench_score_requests steady|rising COUNT PLAYERS
// steady: every player asks again with the best already stored (no writes
// after the first round); rising: one request in ten brings a new best.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/runtime/ustring.h"
#include "scores/exchange.h"

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "steady") != 0 && std::strcmp(argv[1], "rising") != 0)) {
        std::fprintf(stderr, "usage: bench_score_requests steady|rising COUNT PLAYERS\n");
        return 2;
    }
    bool rising = std::strcmp(argv[1], "rising") == 0;
    long count = std::atol(argv[2]);
    long players = std::atol(argv[3]);
    for (long k = 0; k < count; k++) {
        long id = 100000 + (k * 7919) % players;   // scattered over the players
        long best = 1000 + id % 997;
        // Larger than any best sent before, whoever sends it
        if (rising && k % 10 == 0) best = 2000 + k;
        std::string text = "P" + std::to_string(id % 100000000) + "|" + std::to_string(id) + "|" + std::to_string(best) + "|";
        std::printf("/%s\n", engine::ToBytes(scores::ExchangePath(engine::ToText(text))).c_str());
    }
    return 0;
}
