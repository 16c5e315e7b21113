#include "core/expr/ExprCache.h"

#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>

#include "core/expr/ExprParser.h"
#include "core/expr/ExpressionEvaluator.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"

namespace {

struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

struct TextEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};

// Scripts have a bounded set of texts; the bounds only guard against a caller that builds new
// texts without end, or feeds huge ones. Past them, texts are parsed for each evaluation instead
// of cached. The byte bound counts the texts, which also bounds their trees (a node per token).
constexpr size_t kMaxEntries = 1 << 18;
constexpr size_t kMaxCachedBytes = size_t(32) << 20;

struct Cache {
    std::shared_mutex mutex;
    std::unordered_map<std::string, std::unique_ptr<ParsedExpr>, TextHash, TextEqual> single;
    std::unordered_map<std::string, std::unique_ptr<std::vector<const ParsedExpr*>>, TextHash,
                       TextEqual>
        lists;
    size_t bytes = 0;  // length of every cached text

    bool HasRoom(size_t entries, std::string_view text) const {
        return entries < kMaxEntries && bytes + text.size() <= kMaxCachedBytes;
    }
};

Cache& GetCache() {
    // Never destroyed: evaluation may run during static destruction.
    static Cache* cache = new Cache;
    return *cache;
}

}  // namespace

std::string ShortForLog(std::string_view text) {
    constexpr size_t kMaxLogged = 160;
    if (text.size() <= kMaxLogged) {
        return std::string(text);
    }
    return std::string(text.substr(0, kMaxLogged)) + "...";
}

const ParsedExpr* ExprCache::Get(std::string_view text, Overflow* overflow) {
    Cache& cache = GetCache();
    {
        std::shared_lock lock(cache.mutex);
        auto found = cache.single.find(text);
        if (found != cache.single.end()) {
            return found->second.get();
        }
    }
    // Parse outside the lock so that loader threads do not wait on each other's parses.
    std::unique_ptr<ParsedExpr> parsed = ExprParser::Parse(text);
    std::unique_lock lock(cache.mutex);
    auto found = cache.single.find(text);
    if (found != cache.single.end()) {
        return found->second.get();
    }
    if (!parsed->ok) {
        LogWarning("Expression \"%s\" could not be read (%s); it is used as plain text",
                   ShortForLog(parsed->text).c_str(), parsed->error.c_str());
    }
    if (!cache.HasRoom(cache.single.size(), text)) {
        overflow->parses.push_back(std::move(parsed));
        return overflow->parses.back().get();
    }
    const ParsedExpr* result = parsed.get();
    cache.bytes += text.size();
    cache.single.emplace(std::string(text), std::move(parsed));
    return result;
}

const std::vector<const ParsedExpr*>* ExprCache::GetList(std::string_view text,
                                                         Overflow* overflow) {
    Cache& cache = GetCache();
    {
        std::shared_lock lock(cache.mutex);
        auto found = cache.lists.find(text);
        if (found != cache.lists.end()) {
            return found->second.get();
        }
    }
    auto items = std::make_unique<std::vector<const ParsedExpr*>>();
    if (!TrimBlanks(text).empty()) {
        for (const std::string& piece : ExpressionEvaluator::SplitArguments(text)) {
            items->push_back(Get(piece, overflow));
        }
    }
    std::unique_lock lock(cache.mutex);
    auto found = cache.lists.find(text);
    if (found != cache.lists.end()) {
        return found->second.get();
    }
    const std::vector<const ParsedExpr*>* result = items.get();
    // A list whose items did not fit in the cache must not outlive this evaluation either.
    if (!cache.HasRoom(cache.lists.size(), text) || !overflow->parses.empty()) {
        overflow->list = *items;
        return &overflow->list;
    }
    cache.bytes += text.size();
    cache.lists.emplace(std::string(text), std::move(items));
    return result;
}

size_t ExprCache::GetSize() {
    Cache& cache = GetCache();
    std::shared_lock lock(cache.mutex);
    return cache.single.size() + cache.lists.size();
}
