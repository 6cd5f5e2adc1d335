// A read-only private mapping of a 3DS file that survives the file being cut
// short by another program (an exporter saving the model again) while the
// mapping lives: a page past the new end, which would fault (SIGBUS), is
// replaced by a page of zeros on its first touch, and the mapping is marked
// cut. The reader's checks hold for any bytes, zeros included; the reader
// asks cut() after its read and leaves the file out when it is set.
#pragma once

#include <cstddef>
#include <memory>

namespace mapping3ds {

class Mapping {
public:
    // Maps size bytes of fd, which may be closed afterwards; empty when the
    // mapping fails or every slot of the fault handler is taken.
    static std::shared_ptr<Mapping> map(int fd, std::size_t size);
    ~Mapping();
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;

    const void* data() const { return address; }
    // A page of the mapping faulted since it was made: the file was cut.
    bool cut() const;

private:
    Mapping(void* address, std::size_t size, int slot) : address(address), size(size), slot(slot) {}
    void* address;
    std::size_t size;
    int slot; // in the fault handler's table of live mappings
};

} // namespace mapping3ds
