#pragma once
// Binary code trees of the one-dimensional fax coding (modified Huffman): one
// for white runs, one for black runs. A leaf holds the run length of its code
// (0..63 terminating, 64..2560 make-up), -1 for the end-of-line code and -2
// for the invalid codes; inner nodes hold 0.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane::imaging {

class TCCITTCodeTree {
public:
    static constexpr int32_t None = -1;
    static constexpr int32_t EndOfLine = -1;
    static constexpr int32_t Invalid = -2;

    struct Node {
        int32_t child[2] = {None, None};
        int32_t runLength = 0;
    };

    static TCCITTCodeTree White();
    static TCCITTCodeTree Black();

    const Node& Root() const { return nodes_[0]; }
    const Node& At(int32_t index) const { return nodes_[static_cast<size_t>(index)]; }
    size_t NodeCount() const { return nodes_.size(); }

private:
    TCCITTCodeTree();
    // Adds a code given as a string of '0' and '1', most significant first.
    void Add(const char* bits, int32_t runLength);
    void AddCommonCodes();

    std::vector<Node> nodes_;
};

} // namespace orvane::imaging
