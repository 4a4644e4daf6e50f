// Native tests with a fresh simulated card (simcard) beside the simulated
// Windows; each test serves it as the device it needs.
#pragma once
#include <memory>
#include <vector>

#include "fixture.h"
#include "sim_device.h"
#include "simcard.h"

class CardTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        card_ = std::make_unique<SimCard>();
        simcard_init(card_.get());
    }

    SimCard* card() { return card_.get(); }

    // Data words of a record the card stored; empty when never put. *length
    // (when given) gets the record's length word, -1 when never put.
    std::vector<uint16_t> stored(uint16_t id, int* length = nullptr) {
        std::vector<uint16_t> words(SIMCARD_RECORD_DATA_WORDS);
        const int n = simcard_get_stored(card(), id, words.data(), words.size());
        if (length) *length = n;
        if (n < 0) return {};
        words.resize(n > 0 ? n - 1 : 0);
        return words;
    }

    std::unique_ptr<SimCard> card_;
};
