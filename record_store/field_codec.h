#pragma once
// Stored encodings of field values: how the bytes of a field of a given schema type and
// width convert to a value and back. All numbers are little-endian.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "record_store/field_types.h"
#include "record_store/field_value.h"

// Six-byte real: byte 0 the exponent biased by 129 (0 means the value 0), bytes 1-5 a 39-bit
// fraction (least significant byte first) with the sign in bit 7 of byte 5;
// value = (-1)^s * 2^(e-129) * (1 + f / 2^39).
double Real48ToDouble(const uint8_t* bytes);
// Rounds the fraction to 39 bits, halves away from zero; magnitudes below 2^-128 give all
// zero bytes. Returns false (bytes untouched) when the value is too large for the form or
// is not a number.
bool DoubleToReal48(double value, uint8_t* bytes);

// Packed DATE word: bits 0-3 month, 4-8 day, 9-15 year - 1900 (masked to 7 bits).
uint16_t PackDate(const TDate& date);
TDate UnpackDate(uint16_t word);

// TIMESTAMP: milliseconds from the start of day 1 (0001-01-01 is day 1).
double DateTimeToTimestamp(const TDateTime& value);
TDateTime TimestampToDateTime(double timestamp);

// Decodes the bytes of a field (bytes.size() is the field's width). A DATE word of 0 and a
// TIME of 0 read as now. Never reads outside the span; a CHAR length byte larger than the
// field reads only the characters the field holds.
TFieldValue DecodeField(TFieldType type, std::span<const uint8_t> bytes);

// Encodes a value (converted to the field's kind first) into exactly bytes.size() bytes.
// Returns false when the value cannot be stored (a float too large for a six-byte real);
// the bytes are then left untouched. May throw TEditorError for a value that does not
// convert to the field's kind.
bool EncodeField(TFieldType type, const TFieldValue& value, std::span<uint8_t> bytes);

// The width that a calculated field of a type and size takes in the calculated area
// (text of size n takes a length byte and n characters).
int CalculatedFieldWidth(TFieldType type, int size);
