#include "storage/platform/Faults.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>

namespace Os::Faults {
namespace detail {
std::atomic<bool> armed { false };
} // namespace detail

namespace {
struct State
{
    std::mutex mutex;
    std::shared_ptr<const Fault> fault;
    std::array<int, kKinds + 1> counts {};
    bool fired = false;
    std::map<File, std::string> paths; // files opened while armed
};

State &state()
{
    static State s;
    return s;
}

} // namespace

bool concerns(const Fault &fault, const std::string &name)
{
    if (fault.path.empty())
        return true;
    if (!fault.wholeName)
        return name.find(fault.path) != std::string::npos;
    // A rename is known by both its names, one per line.
    const auto endsAt = [&](std::size_t end) {
        return end >= fault.path.size() && name.compare(end - fault.path.size(), fault.path.size(), fault.path) == 0;
    };
    const std::size_t line = name.find('\n');
    return endsAt(name.size()) || (line != std::string::npos && endsAt(line));
}

namespace {
detail::Verdict decide(Kind kind, const std::string *path, File file)
{
    State &s = state();
    std::shared_ptr<const Fault> fault;
    int number = 0;
    detail::Verdict verdict;
    std::string seen;
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.fault)
            return verdict;
        fault = s.fault;
        const std::string *name = path;
        if (!name) {
            const auto it = s.paths.find(file);
            name = it == s.paths.end() ? nullptr : &it->second;
        }
        if (!fault->path.empty() && (!name || !concerns(*fault, *name)))
            return verdict;
        if (fault->hook && name)
            seen = *name;
        ++s.counts[kKinds];
        const int ofKind = ++s.counts[int(kind)];
        if (fault->kind != Kind::Any && fault->kind != kind)
            return verdict;
        number = fault->kind == Kind::Any ? s.counts[kKinds] : ofKind;
        if (fault->call > 0 && (number == fault->call || (fault->lasting && number > fault->call))) {
            s.fired = true;
            verdict = { true, fault->error, fault->partial };
        }
    }
    if (fault->hook)
        fault->hook(kind, number, seen);
    return verdict;
}
} // namespace

void arm(Fault fault)
{
    State &s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    s.fault = std::make_shared<const Fault>(std::move(fault));
    s.counts.fill(0);
    s.fired = false;
    s.paths.clear();
    detail::armed.store(true, std::memory_order_relaxed);
}

void disarm()
{
    State &s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    detail::armed.store(false, std::memory_order_relaxed);
    s.fault.reset();
    s.paths.clear();
}

int calls(Kind kind)
{
    State &s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    return s.counts[int(kind)];
}

bool fired()
{
    State &s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    return s.fired;
}

detail::Verdict detail::check(Kind kind, File file)
{
    return decide(kind, nullptr, file);
}

detail::Verdict detail::check(Kind kind, const std::string &path)
{
    return decide(kind, &path, kNoFile);
}

void detail::opened(File file, const std::string &path)
{
    State &s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (s.fault && file != kNoFile)
        s.paths[file] = path;
}

void detail::closed(File file)
{
    State &s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    s.paths.erase(file);
}

} // namespace Os::Faults
