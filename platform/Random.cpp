#include "Random.h"
#include "Clock.h"

#include <random>

namespace {
std::mt19937_64& engine()
{
    static std::mt19937_64 e(static_cast<std::uint64_t>(Clock::now().toMSecsSinceEpoch()));
    return e;
}
std::function<int(int)>& script()
{
    static std::function<int(int)> s;
    return s;
}
} // namespace

namespace Random {

int next(int range)
{
    if (range <= 0)
        return 0;
    if (script()) {
        int v = script()(range);
        return v < 0 ? 0 : (v >= range ? range - 1 : v);
    }
    std::uniform_int_distribution<int> d(0, range - 1);
    return d(engine());
}

void randomize()
{
    engine().seed(static_cast<std::uint64_t>(Clock::now().toMSecsSinceEpoch())
                  ^ static_cast<std::uint64_t>(std::random_device{}()));
}

void seed(std::uint64_t s) { engine().seed(s); }

void setScript(std::function<int(int)> s) { script() = std::move(s); }

} // namespace Random
