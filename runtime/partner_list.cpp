//===- partner_list.cpp - A cached list of one object's partners ----------===//

#include "partner_list.h"

#include <algorithm>

namespace kel {

PartnerList::~PartnerList() {
  if (cap_ > kInline)
    delete[] heap_;
}

void PartnerList::reserve(std::size_t n) {
  if (n <= cap_)
    return;
  std::uint32_t cap = cap_;
  while (cap < n)
    cap *= 2;
  auto *grown = new std::uint32_t[cap];
  std::copy_n(data(), count_, grown);
  if (cap_ > kInline)
    delete[] heap_;
  heap_ = grown;
  cap_ = cap;
}

void PartnerList::index() {
  index_ = std::make_unique<std::unordered_map<ObjectId, std::uint32_t>>();
  for (std::uint32_t i = base_; i < size(); ++i)
    if (!skipped(i))
      (*index_)[partner(i)] = i;
}

void PartnerList::append(ObjectId partner) {
  if (std::int64_t old = currentOf(partner); old >= 0) {
    if (firstLive(static_cast<std::size_t>(old)) ==
        static_cast<std::size_t>(old))
      reordered = true;
    data()[old - base_] |= kSkipped;
    markDead(static_cast<std::size_t>(old));
  }
  reserve(count_ + 1);
  data()[count_++] = static_cast<std::uint32_t>(partner);
  live_.append();
  if (index_)
    (*index_)[partner] = static_cast<std::uint32_t>(size() - 1);
  else if (count_ > kIndexed)
    index();
  dropDeadFront();
}

void PartnerList::dropDeadFront() {
  std::size_t dead = live_.firstFrom(0);
  if (dead < kDropped || 2 * dead < count_)
    return;
  if (index_)
    for (std::uint32_t i = base_; i < base_ + dead; ++i)
      if (auto it = index_->find(partner(i));
          it != index_->end() && it->second == i)
        index_->erase(it);
  std::uint32_t *d = data();
  std::copy(d + dead, d + count_, d);
  count_ -= static_cast<std::uint32_t>(dead);
  base_ += static_cast<std::uint32_t>(dead);
  live_.dropFront(dead);
  if (count_ <= kIndexed)
    index_.reset();
}

std::int64_t PartnerList::currentOf(ObjectId partner) const {
  if (index_) {
    auto it = index_->find(partner);
    if (it == index_->end() || skipped(it->second))
      return -1;
    return it->second;
  }
  for (std::size_t i = size(); i-- > base_;)
    if (this->partner(i) == partner)
      return skipped(i) ? -1 : static_cast<std::int64_t>(i);
  return -1;
}

void PartnerList::fill(const ObjectId *entries, std::size_t n) {
  clear();
  reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    if (entries[i] != 0) {
      data()[count_++] = static_cast<std::uint32_t>(entries[i]);
      live_.append();
    }
  if (count_ > kIndexed)
    index();
}

void PartnerList::clear() {
  reordered = false;
  base_ = count_ = 0;
  live_.clear();
  index_.reset();
}

} // namespace kel
