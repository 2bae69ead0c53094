#include "repair/reading_search.h"

#include "repair/text_model.h"

#include <algorithm>
#include <array>
#include <limits>

namespace velmora::repair {

namespace {

enum Op : std::uint8_t {
    opRoot,
    opMatch,
    opLineEndForCr,
    opLineEndForLf,
    opLineEndForCrLf,
    opLineEndAdded,
    opLineEndForBlank,
    opBlankForNoBreak,
    opBlankForTab,
    opBlankAdded,
    opCharacterAdded,
    opQuestionMark,
    opUnreadable,
    opBlankDropped,
    opControlDropped,
    opC1Dropped,
    opCharacterMissing,
};

// The plain code behind a sent code under its key (the cipher undoing itself).
constexpr std::uint8_t plainOf(std::uint8_t sent, std::uint8_t key) {
    const auto mixed = static_cast<std::uint8_t>(sent ^ key);
    return mixed != 0 ? mixed : sent;
}

struct Node {
    std::uint32_t parent;
    std::uint32_t i;  // keys used, after this step
    std::uint32_t j;  // received codes used, after this step
    std::uint8_t op;
    std::uint8_t guess;
};

struct Hypothesis {
    std::uint32_t cost;
    std::uint32_t i;
    TextModel::State model;
    std::uint32_t parent;  // node this step leaves from
    std::uint8_t op;
    std::uint8_t guess;
    std::uint8_t depth;  // drops in a row at this received position
};

// The few plain codes most worth trying for a code of a class that was
// dropped or replaced, by key: the text model then picks among them.
class Guesses {
public:
    static constexpr std::size_t kTried = 29;

    template <typename InClass>
    explicit Guesses(InClass inClass) {
        const TextModel::State afterBlank = TextModel::next(TextModel::start(), 'a');
        for (unsigned key = 1; key < 256; ++key) {
            std::array<std::pair<std::uint32_t, std::uint8_t>, 256> ranked{};
            std::size_t n = 0;
            for (unsigned sent = 1; sent < 256; ++sent) {
                if (!inClass(static_cast<std::uint8_t>(sent))) continue;
                const std::uint8_t plain = plainOf(static_cast<std::uint8_t>(sent), static_cast<std::uint8_t>(key));
                ranked[n++] = {TextModel::cost(afterBlank, plain), plain};
            }
            std::sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(n));
            auto& out = byKey_[key];
            for (std::size_t k = 0; k < std::min(n, kTried); ++k) out.codes[out.count++] = ranked[k].second;
        }
    }

    // The kBranches cheapest of the tried codes after `state`, with their
    // costs: each goes on as a reading of its own, since the characters
    // after it decide between them.
    static constexpr std::size_t kBranches = 8;
    struct Best {
        std::array<std::pair<std::uint32_t, std::uint8_t>, kBranches> options{};
        std::size_t count = 0;
    };
    Best best(std::uint8_t key, TextModel::State state) const {
        const auto& c = byKey_[key];
        Best out;
        for (std::size_t k = 0; k < c.count; ++k) {
            std::pair<std::uint32_t, std::uint8_t> option{TextModel::cost(state, c.codes[k]), c.codes[k]};
            if (out.count == kBranches && !(option < out.options[kBranches - 1])) continue;
            // Insertion into the short sorted list.
            std::size_t at = out.count < kBranches ? out.count++ : kBranches - 1;
            for (; at > 0 && option < out.options[at - 1]; --at) out.options[at] = out.options[at - 1];
            out.options[at] = option;
        }
        return out;
    }

private:
    struct Tried {
        std::array<std::uint8_t, kTried> codes{};
        std::size_t count = 0;
    };
    std::array<Tried, 256> byKey_{};
};

// Made once for all searches: each takes a pass over every key and code.
const Guesses& guessesFor(bool (*inClass)(std::uint8_t)) {
    const auto all = [](std::uint8_t) { return true; };
    static const Guesses controls(isDroppedControl), c1(isC1Control), beyond(isBeyondLatin1), any(all);
    if (inClass == isDroppedControl) return controls;
    if (inClass == isC1Control) return c1;
    if (inClass == isBeyondLatin1) return beyond;
    return any;
}

bool isLineEnd(std::uint16_t c) { return c == '\r' || c == '\n'; }

class Search {
public:
    Search(std::span<const std::uint16_t> r, std::span<const std::uint8_t> keys, const MailChannel& channel,
           SearchWidth width)
        : r_(r),
          keys_(keys),
          ch_(channel),
          width_(width),
          controls_(guessesFor(isDroppedControl)),
          c1_(guessesFor(isC1Control)),
          beyondLatin1_(guessesFor(isBeyondLatin1)),
          anyCode_(guessesFor(nullptr)) {}

    std::optional<Reading> run();

private:
    static constexpr std::uint32_t kDropLimit = 10 * kBit;  // a drop dearer than this is not tried
    static constexpr std::uint32_t kDropMargin = 12 * kBit;
    static constexpr std::size_t kNoiseSpan = 512;
    static constexpr std::uint32_t kNoisePerCharacter = 21 * kBit / 2;

    void settle(std::vector<Hypothesis>& bucket, std::uint32_t j);
    void prune(std::vector<Hypothesis>& hyps) const;
    void addDrops(const Hypothesis& h, std::uint32_t node, std::uint32_t j, std::vector<Hypothesis>& out) const;
    void expand(const Hypothesis& h, std::uint32_t node, std::uint32_t j);
    void emit(std::vector<Hypothesis>& to, const Hypothesis& from, std::uint32_t node, std::uint32_t cost,
              std::uint32_t keysUsed, TextModel::State model, Op op, std::uint8_t guess = 0,
              std::uint8_t depth = 0) const {
        to.push_back({from.cost + cost, from.i + keysUsed, model, node, op, guess, depth});
    }
    // Cost and state after one plain code.
    std::pair<std::uint32_t, TextModel::State> step(TextModel::State s, std::uint8_t plain) const {
        return {TextModel::cost(s, plain), TextModel::next(s, plain)};
    }
    Reading trace(std::uint32_t last) const;

    std::span<const std::uint16_t> r_;
    std::span<const std::uint8_t> keys_;
    const MailChannel& ch_;
    SearchWidth width_;
    const Guesses &controls_, &c1_, &beyondLatin1_, &anyCode_;
    std::vector<Node> nodes_;
    std::array<std::vector<Hypothesis>, 3> ring_;
};

void Search::prune(std::vector<Hypothesis>& hyps) const {
    std::sort(hyps.begin(), hyps.end(), [](const Hypothesis& a, const Hypothesis& b) {
        return a.i != b.i ? a.i < b.i : a.model != b.model ? a.model < b.model : a.cost < b.cost;
    });
    hyps.erase(std::unique(hyps.begin(), hyps.end(),
                           [](const Hypothesis& a, const Hypothesis& b) { return a.i == b.i && a.model == b.model; }),
               hyps.end());
    // At most a few readings per alignment (keys used), so that a stretch
    // where the true alignment reads dearly (a phone number, a name) does
    // not lose it to many variants of a wrong one.
    std::sort(hyps.begin(), hyps.end(),
              [](const Hypothesis& a, const Hypothesis& b) { return a.i != b.i ? a.i < b.i : a.cost < b.cost; });
    const std::size_t perAlignment = std::max<std::size_t>(4, width_.beam / 4);
    std::size_t kept = 0;
    for (std::size_t k = 0, run = 0; k < hyps.size(); ++k) {
        run = k > 0 && hyps[k].i == hyps[k - 1].i ? run + 1 : 0;
        if (run < perAlignment) hyps[kept++] = hyps[k];
    }
    hyps.resize(kept);
    const auto byCost = [](const Hypothesis& a, const Hypothesis& b) { return a.cost < b.cost; };
    const std::size_t keep = std::min(width_.beam, hyps.size());
    std::partial_sort(hyps.begin(), hyps.begin() + static_cast<std::ptrdiff_t>(keep), hyps.end(), byCost);
    hyps.resize(keep);
    if (!hyps.empty()) {
        const std::uint32_t bound = hyps.front().cost + width_.margin;
        while (hyps.back().cost > bound) hyps.pop_back();
    }
}

void Search::addDrops(const Hypothesis& h, std::uint32_t node, std::uint32_t j, std::vector<Hypothesis>& out) const {
    if (h.i >= keys_.size()) return;
    const std::uint8_t key = keys_[h.i];
    const auto drop = [&](const Guesses& g, std::uint32_t channelCost, Op op) {
        if (channelCost > kDropLimit) return;
        const auto best = g.best(key, h.model);
        for (std::size_t k = 0; k < best.count; ++k) {
            const auto [cost, code] = best.options[k];
            emit(out, h, node, channelCost + cost, 1, TextModel::next(h.model, code), op, code,
                 static_cast<std::uint8_t>(h.depth + 1));
        }
    };
    drop(controls_, ch_.controlDropped, opControlDropped);
    drop(c1_, ch_.c1Dropped, opC1Dropped);
    const bool beforeLineEnd = j == r_.size() || isLineEnd(r_[j]);
    const bool afterBlank = j > 0 && r_[j - 1] == ' ';
    if ((beforeLineEnd || afterBlank) && h.depth < 3) {
        const auto [blankCost, blankState] = step(h.model, plainOf(' ', key));
        const auto [tabCost, tabState] = step(h.model, plainOf('\t', key));
        const bool tab = !afterBlank && tabCost < blankCost;
        emit(out, h, node, ch_.blankDropped + (tab ? tabCost : blankCost), 1, tab ? tabState : blankState,
             opBlankDropped, plainOf(tab ? '\t' : ' ', key), static_cast<std::uint8_t>(h.depth + 1));
    }
    if (j == 0 && h.i < 2) {
        const auto best = anyCode_.best(key, h.model);
        for (std::size_t k = 0; k < best.count; ++k) {
            const auto [cost, code] = best.options[k];
            emit(out, h, node, ch_.selectionMissing + cost, 1, TextModel::next(h.model, code), opCharacterMissing, code,
                 static_cast<std::uint8_t>(h.depth + 1));
        }
    }
}

void Search::settle(std::vector<Hypothesis>& bucket, std::uint32_t j) {
    prune(bucket);
    const auto record = [this, j](Hypothesis& h) {
        if (h.op == opRoot && !nodes_.empty()) return;
        nodes_.push_back({h.parent, h.i, j, h.op, h.guess});
        h.parent = static_cast<std::uint32_t>(nodes_.size() - 1);
        h.op = opRoot;  // marks "has its node": parent now names it
    };
    for (auto& h : bucket) record(h);
    std::vector<Hypothesis> fresh;
    for (std::uint8_t depth = 0; depth < 6; ++depth) {
        fresh.clear();
        // Only readings near the best look for dropped characters: a far
        // one that needs a drop more only falls further behind.
        const std::uint32_t near = bucket.front().cost + kDropMargin;
        for (const auto& h : bucket)
            if (h.depth == depth && h.cost <= near) addDrops(h, h.parent, j, fresh);
        if (fresh.empty()) break;
        bucket.insert(bucket.end(), fresh.begin(), fresh.end());
        prune(bucket);
        for (auto& h : bucket)
            if (h.op != opRoot) record(h);
    }
}

void Search::expand(const Hypothesis& h, std::uint32_t node, std::uint32_t j) {
    const std::uint16_t t = r_[j];
    const std::size_t m = r_.size();
    auto& next1 = ring_[(j + 1) % 3];
    auto& next2 = ring_[(j + 2) % 3];
    const bool keyLeft = h.i < keys_.size();
    const bool twoKeysLeft = h.i + 1 < keys_.size();
    const std::uint8_t key = keyLeft ? keys_[h.i] : 0;
    const bool atLineStart = j == 0 || isLineEnd(r_[j - 1]);

    // A line end token: CR LF, or a lone CR or LF (never the LF of a pair).
    std::size_t token = 0;
    if (t == '\r') token = j + 1 < m && r_[j + 1] == '\n' ? 2 : 1;
    if (t == '\n' && !(j > 0 && r_[j - 1] == '\r')) token = 1;
    auto& afterToken = token == 2 ? next2 : next1;

    if (keyLeft && t != kUnreadable && t != 0) {
        const auto [cost, state] = step(h.model, plainOf(static_cast<std::uint8_t>(t), key));
        emit(next1, h, node, cost + (token ? ch_.lineEndKept : 0), 1, state, opMatch);
    }
    if (token) {
        const bool lastToken = j + token == m;
        emit(afterToken, h, node, lastToken ? ch_.finalLineEnd : ch_.lineEndAdded, 0, h.model, opLineEndAdded);
        if (keyLeft) {
            const bool loneCr = token == 1 && t == '\r';
            const bool loneLf = token == 1 && t == '\n';
            if (!loneCr) {
                const auto [cost, state] = step(h.model, plainOf('\r', key));
                emit(afterToken, h, node, cost + ch_.lineEndForCr, 1, state, opLineEndForCr);
            }
            if (!loneLf) {
                const auto [cost, state] = step(h.model, plainOf('\n', key));
                emit(afterToken, h, node, cost + ch_.lineEndForLf, 1, state, opLineEndForLf);
            }
            if (token == 1 && twoKeysLeft) {
                const auto [cost1, state1] = step(h.model, plainOf('\r', key));
                const auto [cost2, state2] = step(state1, plainOf('\n', keys_[h.i + 1]));
                emit(afterToken, h, node, cost1 + cost2 + ch_.lineEndForCrLf, 2, state2, opLineEndForCrLf);
            }
            const auto [cost, state] = step(h.model, plainOf(' ', key));
            emit(afterToken, h, node, cost + ch_.lineEndForBlank, 1, state, opLineEndForBlank);
        }
    }
    if (t == ' ') {
        const bool beforeLineEnd = j + 1 == m || isLineEnd(r_[j + 1]);
        emit(next1, h, node, atLineStart || beforeLineEnd ? ch_.blankAddedAtLine : ch_.blankAdded, 0, h.model,
             opBlankAdded);
        if (keyLeft) {
            const auto [costNb, stateNb] = step(h.model, plainOf(0xA0, key));
            emit(next1, h, node, costNb + ch_.blankForNoBreak, 1, stateNb, opBlankForNoBreak);
            const auto [costTab, stateTab] = step(h.model, plainOf('\t', key));
            emit(next1, h, node, costTab + ch_.blankForTab, 1, stateTab, opBlankForTab);
        }
    }
    if (t == '>' && atLineStart) emit(next1, h, node, ch_.greaterAdded, 0, h.model, opCharacterAdded);
    if (t == '?' && keyLeft) {
        const auto best = beyondLatin1_.best(key, h.model);
        for (std::size_t k = 0; k < best.count; ++k) {
            const auto [cost, code] = best.options[k];
            emit(next1, h, node, cost + ch_.questionMark, 1, TextModel::next(h.model, code), opQuestionMark, code);
        }
    }
    if ((t == kUnreadable || t == 0) && keyLeft) {
        const auto best = anyCode_.best(key, h.model);
        for (std::size_t k = 0; k < best.count; ++k) {
            const auto [cost, code] = best.options[k];
            emit(next1, h, node, cost + ch_.unreadable, 1, TextModel::next(h.model, code), opUnreadable, code);
        }
    }
    // A selection that starts a few characters early. (One that ends late
    // costs only its last characters; reading them is cheaper than guessing.)
    const bool nearStart = h.i == 0 && j < 8;
    if ((nearStart || t == kUnreadable || t == 0) && t != ' ' && !token)
        emit(next1, h, node, ch_.selectionExtra, 0, h.model, opCharacterAdded);
}

std::optional<Reading> Search::run() {
    const auto m = static_cast<std::uint32_t>(r_.size());
    nodes_.reserve(static_cast<std::size_t>(m) * 4 + 64);
    nodes_.push_back({0, 0, 0, opRoot, 0});
    ring_[0].push_back({0, 0, TextModel::start(), 0, opRoot, 0, 0});
    std::vector<std::uint32_t> bestAt;
    bestAt.reserve(m + 1);
    for (std::uint32_t j = 0;; ++j) {
        auto& bucket = ring_[j % 3];
        settle(bucket, j);
        if (bucket.empty()) return std::nullopt;
        bestAt.push_back(bucket.front().cost);
        if (j >= kNoiseSpan && bestAt[j] - bestAt[j - kNoiseSpan] > kNoisePerCharacter * kNoiseSpan)
            return std::nullopt;
        if (j == m) {
            const auto total = [](const Hypothesis& h) { return h.cost + TextModel::endCost(h.model); };
            const auto best =
                std::min_element(bucket.begin(), bucket.end(),
                                 [&](const Hypothesis& a, const Hypothesis& b) { return total(a) < total(b); });
            Reading reading = trace(best->parent);
            reading.cost = total(*best);
            return reading;
        }
        for (const auto& h : bucket) expand(h, h.parent, j);
        bucket.clear();
    }
}

Reading Search::trace(std::uint32_t last) const {
    std::vector<std::uint32_t> path;
    for (std::uint32_t n = last; n != 0; n = nodes_[n].parent) path.push_back(n);
    std::reverse(path.begin(), path.end());
    Reading reading;
    std::uint32_t i = 0;
    std::uint32_t j = 0;
    const auto change = [&reading, &j](ChangeKind kind, bool guess = false) {
        reading.changes.push_back({j, kind, guess});
    };
    for (const std::uint32_t n : path) {
        const Node& node = nodes_[n];
        auto& plain = reading.plain;
        switch (static_cast<Op>(node.op)) {
        case opMatch: plain.push_back(plainOf(static_cast<std::uint8_t>(r_[j]), keys_[i])); break;
        case opLineEndForCr:
            plain.push_back(plainOf('\r', keys_[i]));
            change(ChangeKind::LineEndForCr);
            break;
        case opLineEndForLf:
            plain.push_back(plainOf('\n', keys_[i]));
            change(ChangeKind::LineEndForLf);
            break;
        case opLineEndForCrLf:
            plain.push_back(plainOf('\r', keys_[i]));
            plain.push_back(plainOf('\n', keys_[i + 1]));
            change(ChangeKind::LineEndForCrLf);
            break;
        case opLineEndAdded: change(ChangeKind::LineEndAdded); break;
        case opLineEndForBlank:
            plain.push_back(plainOf(' ', keys_[i]));
            change(ChangeKind::LineEndForBlank);
            break;
        case opBlankForNoBreak:
            plain.push_back(plainOf(0xA0, keys_[i]));
            change(ChangeKind::BlankForNoBreak);
            break;
        case opBlankForTab:
            plain.push_back(plainOf('\t', keys_[i]));
            change(ChangeKind::BlankForTab);
            break;
        case opBlankAdded: change(ChangeKind::BlankAdded); break;
        case opCharacterAdded: change(ChangeKind::CharacterAdded); break;
        case opQuestionMark:
            plain.push_back(node.guess);
            change(ChangeKind::QuestionMark, true);
            break;
        case opUnreadable:
            plain.push_back(node.guess);
            change(ChangeKind::Unreadable, true);
            break;
        case opBlankDropped:
            plain.push_back(node.guess);
            change(ChangeKind::BlankDropped, true);
            break;
        case opControlDropped:
        case opC1Dropped:
            plain.push_back(node.guess);
            change(ChangeKind::ControlDropped, true);
            break;
        case opCharacterMissing:
            plain.push_back(node.guess);
            change(ChangeKind::CharacterMissing, true);
            break;
        case opRoot: break;
        }
        i = node.i;
        j = node.j;
    }
    return reading;
}

}  // namespace

std::optional<Reading> searchReading(std::span<const std::uint16_t> received, std::span<const std::uint8_t> keys,
                                     const MailChannel& channel, SearchWidth width) {
    return Search(received, keys, channel, width).run();
}

}  // namespace velmora::repair
