#pragma once
// The natural-signal normalisation (NCF) of single-aliquot regenerative disks: recognising a
// disk's template (TL measurements with test doses before and after the natural, a
// normalisation shine after them) and the correction factor it gives.
struct TNcfTolerances {
    // Largest relative difference between the first test dose before and after the natural.
    double firstTL = 0.01;
    // Largest relative difference between the test doses after the natural and all others.
    double sumToReference = 0.06;
};
