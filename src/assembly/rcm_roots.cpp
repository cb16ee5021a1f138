// The reverse Cuthill-McKee ordering with pseudo-peripheral roots, in the
// form published by George and Liu: ROOTLS builds a rooted level structure,
// FNROOT walks to a pseudo-peripheral root, RCM numbers one component from
// it and reverses it, and the driver handles the components in node order.
#include <vector>

#include "assembly/bandwidth.h"

namespace korvex {

namespace {

// Work tables of one ordering, all 1-based.
struct RcmWork {
    const NodeGraph& g;
    std::vector<int> mask;  // 1 = not numbered yet
    std::vector<int> xls;   // level starts of the last rooted level structure
    std::vector<int> ls;    // its nodes, level after level
    std::vector<int> deg;   // degrees counted over masked neighbours
    std::vector<char> seen;

    explicit RcmWork(const NodeGraph& graph)
        : g(graph),
          mask(static_cast<std::size_t>(graph.n) + 2, 1),
          xls(static_cast<std::size_t>(graph.n) + 3, 0),
          ls(static_cast<std::size_t>(graph.n) + 2, 0),
          deg(static_cast<std::size_t>(graph.n) + 2, 0),
          seen(static_cast<std::size_t>(graph.n) + 2, 0) {}

    int first(int v) const { return g.xadj[static_cast<std::size_t>(v)]; }
    int last(int v) const { return g.xadj[static_cast<std::size_t>(v) + 1] - 1; }
    int nbr(int k) const { return g.adjncy[static_cast<std::size_t>(k)]; }
    int& m(int v) { return mask[static_cast<std::size_t>(v)]; }
};

// Breadth-first level structure over masked nodes from root; returns the
// number of levels. ls[1..ccsize] holds the component, xls[nlvl+1] = ccsize+1.
int rootls(RcmWork& w, int root) {
    w.m(root) = 0;
    w.ls[1] = root;
    int nlvl = 0, lvlend = 0, ccsize = 1;
    for (;;) {
        const int lbegin = lvlend + 1;
        lvlend = ccsize;
        ++nlvl;
        w.xls[static_cast<std::size_t>(nlvl)] = lbegin;
        for (int i = lbegin; i <= lvlend; ++i) {
            const int node = w.ls[static_cast<std::size_t>(i)];
            for (int k = w.first(node); k <= w.last(node); ++k) {
                const int nb = w.nbr(k);
                if (w.m(nb) == 0) continue;
                w.ls[static_cast<std::size_t>(++ccsize)] = nb;
                w.m(nb) = 0;
            }
        }
        if (ccsize - lvlend <= 0) break;
    }
    w.xls[static_cast<std::size_t>(nlvl) + 1] = lvlend + 1;
    for (int i = 1; i <= ccsize; ++i) w.m(w.ls[static_cast<std::size_t>(i)]) = 1;
    return nlvl;
}

int masked_degree(RcmWork& w, int node) {
    int d = 0;
    for (int k = w.first(node); k <= w.last(node); ++k)
        if (w.m(w.nbr(k)) > 0) ++d;
    return d;
}

// Pseudo-peripheral root of the component of root (root is updated).
// Returns the component size.
int fnroot(RcmWork& w, int& root) {
    int nlvl = rootls(w, root);
    const int ccsize = w.xls[static_cast<std::size_t>(nlvl) + 1] - 1;
    if (nlvl == 1 || nlvl == ccsize) return ccsize;
    for (;;) {
        const int jstrt = w.xls[static_cast<std::size_t>(nlvl)];
        int mindeg = ccsize;
        root = w.ls[static_cast<std::size_t>(jstrt)];
        if (ccsize != jstrt) {
            for (int j = jstrt; j <= ccsize; ++j) {
                const int node = w.ls[static_cast<std::size_t>(j)];
                const int ndeg = masked_degree(w, node);
                if (ndeg < mindeg) {
                    root = node;
                    mindeg = ndeg;
                }
            }
        }
        const int nunlvl = rootls(w, root);
        if (nunlvl <= nlvl) return ccsize;
        nlvl = nunlvl;
        if (nlvl >= ccsize) return ccsize;
    }
}

// Degrees (over masked neighbours) of every node of root's component.
void degree(RcmWork& w, int root) {
    std::vector<int> comp{root};
    w.seen[static_cast<std::size_t>(root)] = 1;
    for (std::size_t i = 0; i < comp.size(); ++i) {
        const int node = comp[i];
        int ideg = 0;
        for (int k = w.first(node); k <= w.last(node); ++k) {
            const int nb = w.nbr(k);
            if (w.m(nb) == 0) continue;
            ++ideg;
            if (w.seen[static_cast<std::size_t>(nb)]) continue;
            w.seen[static_cast<std::size_t>(nb)] = 1;
            comp.push_back(nb);
        }
        w.deg[static_cast<std::size_t>(node)] = ideg;
    }
    for (int v : comp) w.seen[static_cast<std::size_t>(v)] = 0;
}

// Stable insertion sort of perm[fnbr..lnbr] by increasing degree.
void sort_group_by_degree(RcmWork& w, int* perm, int fnbr, int lnbr) {
    for (int k = fnbr + 1; k <= lnbr; ++k) {
        const int nb = perm[k];
        int l = k - 1;
        while (l >= fnbr && w.deg[static_cast<std::size_t>(perm[l])] > w.deg[static_cast<std::size_t>(nb)]) {
            perm[l + 1] = perm[l];
            --l;
        }
        perm[l + 1] = nb;
    }
}

// Cuthill-McKee numbering of root's component into perm[1..ccsize]
// (perm points one before the component's first slot), then reversed.
void rcm(RcmWork& w, int root, int* perm, int ccsize) {
    degree(w, root);
    w.m(root) = 0;
    perm[1] = root;
    if (ccsize <= 1) return;
    int lvlend = 0, lnbr = 1;
    while (lnbr > lvlend) {
        const int lbegin = lvlend + 1;
        lvlend = lnbr;
        for (int i = lbegin; i <= lvlend; ++i) {
            const int node = perm[i];
            const int fnbr = lnbr + 1;
            for (int k = w.first(node); k <= w.last(node); ++k) {
                const int nb = w.nbr(k);
                if (w.m(nb) == 0) continue;
                w.m(nb) = 0;
                perm[++lnbr] = nb;
            }
            if (fnbr < lnbr) sort_group_by_degree(w, perm, fnbr, lnbr);
        }
    }
    for (int i = 1, l = lnbr; i < l; ++i, --l) std::swap(perm[i], perm[l]);
}

}  // namespace

std::vector<int> reverse_cuthill_mckee(const NodeGraph& graph) {
    const int n = graph.n;
    std::vector<int> perm(static_cast<std::size_t>(n) + 2, 0);
    RcmWork w(graph);
    int num = 1;
    for (int i = 1; i <= n && num <= n; ++i) {
        if (w.m(i) == 0) continue;
        int root = i;
        const int ccsize = fnroot(w, root);
        rcm(w, root, perm.data() + (num - 1), ccsize);
        num += ccsize;
    }
    perm.resize(static_cast<std::size_t>(n) + 1);
    return perm;
}

}  // namespace korvex
