#include "Quantizer.h"

#include <algorithm>
#include <map>
#include <set>

#include <cstdio>
#include <cstdlib>

namespace skinpicture {

namespace {

int luma(Rgb c)
{
    return 299 * c.r + 587 * c.g + 114 * c.b;
}

bool byLuma(Rgb a, Rgb b)
{
    const int la = luma(a), lb = luma(b);
    if (la != lb)
        return la < lb;
    return a < b;
}

int levels(Rgb a, Rgb b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

int distance2(Rgb a, Rgb b)
{
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

QString rgbText(Rgb c)
{
    return QStringLiteral("(%1, %2, %3)").arg(c.r).arg(c.g).arg(c.b);
}

struct Cluster
{
    Rgb rep;
    long count;
    std::vector<Rgb> members;
};

} // namespace

bool quantize(const Canvas &canvas, IndexedPicture *out, QString *error)
{
    std::map<Rgb, long> counts;
    for (const Rgb &p : canvas.pixels)
        ++counts[p];

    const std::vector<Rgb> &base = baseColours();
    const std::set<Rgb> baseSet(base.begin(), base.end());
    for (const Rgb &b : base) {
        if (!counts.count(b)) {
            *error = QStringLiteral("base colour %1 is not used in the drawing").arg(rgbText(b));
            return false;
        }
    }
    const int freeSlots = kUsedEntries - int(base.size());
    if (freeSlots < 0) {
        *error = QStringLiteral("%1 base colours do not fit %2 entries").arg(base.size()).arg(kUsedEntries);
        return false;
    }

    std::vector<Cluster> clusters;
    for (const auto &[colour, n] : counts) {
        if (!baseSet.count(colour))
            clusters.push_back({colour, n, {colour}});
    }
    if (int(clusters.size()) < freeSlots) {
        *error = QStringLiteral("only %1 blended colours for %2 free palette entries")
                     .arg(clusters.size())
                     .arg(freeSlots);
        return false;
    }
    const bool verbose = qEnvironmentVariableIsSet("TAVREL_SKINPICTURE_VERBOSE");
    if (verbose)
        fprintf(stderr, "base colours %d, blended colours %d, free entries %d\n", int(base.size()),
                int(clusters.size()), freeSlots);
    // Merge, one pair at a time, the two clusters whose merging adds the
    // least squared error (Ward's criterion); a merged cluster is
    // represented by the member colour that keeps its error smallest, so every
    // entry is a colour the drawing really has. Ties go to the first pair.
    // The added error of merging a and b, nA nB d / (nA + nB), kept as a
    // fraction and compared exactly.
    struct Cost
    {
        __int128 num;
        __int128 den;
        bool operator<(const Cost &o) const { return num * o.den < o.num * den; }
    };
    auto cost = [](const Cluster &a, const Cluster &b) {
        return Cost{__int128(a.count) * b.count * distance2(a.rep, b.rep), __int128(a.count + b.count)};
    };
    // Only clusters whose colours lie within `reach` levels of each other
    // merge; the reach grows only when no such pair is left.
    int reach = 1;
    while (int(clusters.size()) > freeSlots) {
        std::size_t bi = 0, bj = 1;
        bool found = false;
        Cost best{0, 1};
        for (std::size_t i = 0; i < clusters.size(); ++i) {
            for (std::size_t j = i + 1; j < clusters.size(); ++j) {
                if (levels(clusters[i].rep, clusters[j].rep) > reach)
                    continue;
                const Cost d = cost(clusters[i], clusters[j]);
                if (!found || d < best) {
                    found = true;
                    best = d;
                    bi = i;
                    bj = j;
                }
            }
        }
        if (!found) {
            ++reach;
            continue;
        }
        if (verbose)
            fprintf(stderr, "reach %d: merge (%d,%d,%d)x%ld + (%d,%d,%d)x%ld cost=%.0f\n", reach, clusters[bi].rep.r,
                    clusters[bi].rep.g, clusters[bi].rep.b, clusters[bi].count, clusters[bj].rep.r,
                    clusters[bj].rep.g, clusters[bj].rep.b, clusters[bj].count, double(best.num) / double(best.den));
        Cluster merged{clusters[bi].rep, clusters[bi].count + clusters[bj].count, clusters[bi].members};
        merged.members.insert(merged.members.end(), clusters[bj].members.begin(), clusters[bj].members.end());
        std::sort(merged.members.begin(), merged.members.end());
        long bestError = -1;
        for (const Rgb &candidate : merged.members) {
            long error = 0;
            for (const Rgb &m : merged.members)
                error += counts.at(m) * long(distance2(candidate, m));
            if (bestError < 0 || error < bestError) {
                bestError = error;
                merged.rep = candidate;
            }
        }
        clusters[bi] = merged;
        clusters.erase(clusters.begin() + long(bj));
    }

    // Indices: the named entries where the layout puts them, every other
    // colour in order of brightness in the entries left.
    out->palette.fill(Rgb{0, 0, 0});
    std::set<int> namedIndices;
    std::set<Rgb> namedColours;
    for (const NamedEntry &e : namedEntries()) {
        out->palette[e.index] = e.colour;
        namedIndices.insert(e.index);
        namedColours.insert(e.colour);
    }
    std::vector<Rgb> others;
    for (const Rgb &b : base) {
        if (!namedColours.count(b))
            others.push_back(b);
    }
    for (const Cluster &c : clusters)
        others.push_back(c.rep);
    std::sort(others.begin(), others.end(), byLuma);

    std::map<Rgb, int> indexOf;
    for (const NamedEntry &e : namedEntries())
        indexOf[e.colour] = e.index;
    std::size_t next = 0;
    for (int i = 0; i < kUsedEntries; ++i) {
        if (namedIndices.count(i))
            continue;
        if (next >= others.size()) {
            *error = QStringLiteral("palette entry %1 left without a colour").arg(i);
            return false;
        }
        out->palette[i] = others[next];
        indexOf[others[next]] = i;
        ++next;
    }
    for (const Cluster &c : clusters) {
        for (const Rgb &m : c.members)
            indexOf[m] = indexOf[c.rep];
    }

    out->indices.resize(canvas.pixels.size());
    std::vector<long> used(256, 0);
    for (std::size_t i = 0; i < canvas.pixels.size(); ++i) {
        const int idx = indexOf.at(canvas.pixels[i]);
        out->indices[i] = std::uint8_t(idx);
        ++used[idx];
    }
    for (int i = 0; i < kUsedEntries; ++i) {
        if (!used[i]) {
            *error = QStringLiteral("palette entry %1 is not used").arg(i);
            return false;
        }
    }
    return true;
}

} // namespace skinpicture
