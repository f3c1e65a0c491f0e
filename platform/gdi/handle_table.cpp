// The handle table. A handle encodes a slot index and the slot's generation,
// so a handle kept after its object was freed never finds the slot's next
// occupant. Slots are reused through a free list; nothing is allocated per
// lookup.
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/gdi/handle_table.h"

namespace vareko::gdi {

int GdiObject::Describe(int /*size*/, void* /*buffer*/) const { return 0; }

namespace {

// Handle value: (generation << kIndexBits) | (index + 1). Index 0 is never
// used, so no handle is null; the low bits keep it away from HGDI_ERROR.
constexpr unsigned kIndexBits = 20;
constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kIndexBits) - 1;
constexpr std::size_t kMaxSlots = kIndexMask - 1;
constexpr std::uintptr_t kMaxGeneration = 0x7FF;

}  // namespace

class ObjectTable {
public:
    static ObjectTable& Instance() {
        // Never destroyed: objects still alive at exit must not run their
        // destructors against a half-destroyed table.
        static ObjectTable* table = new ObjectTable;
        return *table;
    }

    HGDIOBJ Register(std::unique_ptr<GdiObject> object, bool stock) {
        if (object == nullptr) {
            return nullptr;
        }
        std::size_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else if (slots_.size() < kMaxSlots) {
            index = slots_.size();
            slots_.push_back(Slot{});
        } else {
            return nullptr;
        }
        Slot& slot = slots_[index];
        std::uintptr_t value = (slot.generation << kIndexBits) | (index + 1);
        object->handle_ = reinterpret_cast<HGDIOBJ>(value);
        object->stock_ = stock;
        slot.object = std::move(object);
        if (!stock) {
            ++live_;
        }
        return slot.object->handle_;
    }

    GdiObject* Lookup(HGDIOBJ handle) const {
        const Slot* slot = Find(handle);
        return slot != nullptr ? slot->object.get() : nullptr;
    }

    bool Destroy(HGDIOBJ handle) {
        Slot* slot = Find(handle);
        if (slot == nullptr) {
            return false;
        }
        GdiObject& object = *slot->object;
        if (object.stock_) {
            return true;
        }
        if (object.selectCount_ > 0) {
            object.deletePending_ = true;
            return true;
        }
        Free(*slot);
        return true;
    }

    void Retain(GdiObject& object) { ++object.selectCount_; }

    void Release(GdiObject& object) {
        if (--object.selectCount_ == 0 && object.deletePending_) {
            Free(*Find(object.handle_));
        }
    }

    std::size_t Live() const { return live_; }

private:
    struct Slot {
        std::unique_ptr<GdiObject> object;
        std::uintptr_t generation = 0;
    };

    Slot* Find(HGDIOBJ handle) {
        return const_cast<Slot*>(std::as_const(*this).Find(handle));
    }

    const Slot* Find(HGDIOBJ handle) const {
        auto value = reinterpret_cast<std::uintptr_t>(handle);
        std::uintptr_t position = value & kIndexMask;
        if (position == 0 || position > slots_.size()) {
            return nullptr;
        }
        const Slot& slot = slots_[position - 1];
        if (slot.object == nullptr || (value >> kIndexBits) != slot.generation) {
            return nullptr;
        }
        return &slot;
    }

    void Free(Slot& slot) {
        std::size_t index = static_cast<std::size_t>(&slot - slots_.data());
        // Move the object out first: a destructor may release further handles.
        std::unique_ptr<GdiObject> object = std::move(slot.object);
        slot.generation = (slot.generation + 1) & kMaxGeneration;
        free_.push_back(index);
        --live_;
        object.reset();
    }

    std::vector<Slot> slots_;
    std::vector<std::size_t> free_;
    std::size_t live_ = 0;
};

HGDIOBJ RegisterObject(std::unique_ptr<GdiObject> object) {
    return ObjectTable::Instance().Register(std::move(object), false);
}

HGDIOBJ RegisterStockObject(std::unique_ptr<GdiObject> object) {
    return ObjectTable::Instance().Register(std::move(object), true);
}

GdiObject* LookupObject(HGDIOBJ handle) { return ObjectTable::Instance().Lookup(handle); }

bool DestroyObject(HGDIOBJ handle) { return ObjectTable::Instance().Destroy(handle); }

void RetainSelection(GdiObject& object) { ObjectTable::Instance().Retain(object); }

void ReleaseSelection(GdiObject& object) { ObjectTable::Instance().Release(object); }

std::size_t LiveObjectCount() { return ObjectTable::Instance().Live(); }

}  // namespace vareko::gdi
