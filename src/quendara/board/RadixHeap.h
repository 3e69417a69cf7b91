// The priority queue of the chain's gap fill: a radix heap over small integer keys. Its buckets keep
// their nodes in the order they arrived, and which node leaves first among equal keys decides which of
// two equally short paths the chain takes, so the bucket walk is behaviour, not only speed.
#pragma once

#include <memory>

class Heap
{
public:
    Heap() = default;
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;
    virtual ~Heap() = default;

    // The item with the smallest key; the heap must not be empty.
    virtual int DeleteMin() = 0;
    // The item (0 to n - 1) must not be in the heap.
    virtual void Insert(int item, int key) = 0;
    // The item must be in the heap, and the key no larger than its key.
    virtual void DecreaseKey(int item, int key) = 0;
    virtual int ItemCount() const = 0;
};

// Keys must never fall below the last key taken out (Dijkstra's keys never do), and stay below MaxKey.
class RadixHeap : public Heap
{
public:
    static constexpr int MaxKey = 500000;
    // ceil(log2(MaxKey + 1)) + 2.
    static constexpr int bucketCount = 21;

    explicit RadixHeap(int n);

    int DeleteMin() override;
    void Insert(int item, int key) override;
    void DecreaseKey(int item, int key) override;
    int ItemCount() const override { return itemCount; }

private:
    // An item's place in a bucket: a circular doubly linked list through the bucket's sentinel.
    struct Node
    {
        int item;
        int key;
        int bucket;
        Node* next;
        Node* prev;
    };

    // The bucket of a key: one above the highest bucket below `start` whose bound lies under the key.
    int FindBucket(int key, int start) const;
    void Append(Node* node, int bucket);
    static void Unlink(Node* node);
    // The first node with the smallest key of a non-empty bucket, in list order.
    Node* FirstMinimum(int bucket);
    int Take(Node* node);

    // Buckets 0 to bucketCount, each a sentinel.
    Node buckets[bucketCount + 1];
    long long bounds[bucketCount + 1];
    // One node per item, in use (and only then written) while the item is in the heap.
    std::unique_ptr<Node[]> nodes;
    int itemCount = 0;
};

// The factory the path finder makes its heap with.
class HeapDesc
{
public:
    virtual ~HeapDesc() = default;
    virtual std::unique_ptr<Heap> CreateHeap(int n) const = 0;
};

template <typename H>
class HeapD : public HeapDesc
{
public:
    std::unique_ptr<Heap> CreateHeap(int n) const override { return std::make_unique<H>(n); }
};
