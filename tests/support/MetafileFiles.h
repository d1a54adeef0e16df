// Builds WMF and EMF files record by record, for the metafile tests and the fuzz seeds.
#pragma once

#include "graphics/metafile/MetafileRecords.h"
#include "tests/support/Bytes.h"

#include <QByteArray>
#include <QRgb>

#include <cstdint>
#include <initializer_list>

namespace quorvel::test {

using namespace quorvel::metafile;

// A Windows metafile: records of 16-bit parameters after the header.
class Wmf {
public:
    explicit Wmf(int objects = 4) : objects_(objects) {}

    Wmf& rec(std::uint16_t function, std::initializer_list<int> params)
    {
        records_.u32(std::uint32_t(3 + params.size())).u16(function);
        for (int p : params) records_.i16(std::int16_t(p));
        return *this;
    }
    Wmf& raw(std::uint16_t function, const QByteArray& params)
    {
        records_.u32(std::uint32_t(3 + params.size() / 2)).u16(function).raw(params);
        return *this;
    }
    Wmf& colour(std::uint16_t function, QRgb c, std::initializer_list<int> before = {}, std::initializer_list<int> after = {})
    {
        Bytes p;
        for (int v : before) p.i16(std::int16_t(v));
        p.u8(qRed(c)).u8(qGreen(c)).u8(qBlue(c)).u8(0);
        for (int v : after) p.i16(std::int16_t(v));
        return raw(function, p);
    }
    Wmf& bytes(const QByteArray& b)
    {
        records_.raw(b);
        return *this;
    }
    Wmf& solidBrush(QRgb c) { return colour(META_CREATEBRUSHINDIRECT, c, {0}, {0}); }
    Wmf& nullPen() { return rec(META_CREATEPENINDIRECT, {5, 0, 0, 0, 0}); }
    Wmf& select(int index) { return rec(META_SELECTOBJECT, {index}); }

    QByteArray plain() const
    {
        Bytes b;
        header(b);
        return b.raw(records_).u32(3).u16(0);
    }
    QByteArray placeable(int left, int top, int right, int bottom, int inch) const
    {
        Bytes b;
        b.u32(0x9AC6CDD7).u16(0).i16(std::int16_t(left)).i16(std::int16_t(top)).i16(std::int16_t(right))
            .i16(std::int16_t(bottom)).u16(std::uint16_t(inch)).u32(0).u16(0);
        header(b);
        return b.raw(records_).u32(3).u16(0);
    }

private:
    void header(Bytes& b) const
    {
        b.u16(1).u16(9).u16(0x300).u32(std::uint32_t(9 + records_.size() / 2 + 3)).u16(std::uint16_t(objects_))
            .u32(0).u16(0);
    }
    Bytes records_;
    int objects_;
};

// An enhanced metafile on a reference device of 96 pixels per inch (960 pixels in 254 mm).
class Emf {
public:
    explicit Emf(int handles = 4) : handles_(handles) {}

    Emf& rec(std::uint32_t type, const Bytes& params = Bytes())
    {
        records_.u32(type).u32(std::uint32_t(8 + params.size())).raw(params);
        ++count_;
        return *this;
    }
    static Bytes ints(std::initializer_list<std::int32_t> values)
    {
        Bytes b;
        for (auto v : values) b.i32(v);
        return b;
    }
    static Bytes colour(QRgb c) { return Bytes().u8(qRed(c)).u8(qGreen(c)).u8(qBlue(c)).u8(0); }
    Emf& solidBrush(std::uint32_t index, QRgb c)
    {
        return rec(EMR_CREATEBRUSHINDIRECT, Bytes().u32(index).u32(0).raw(colour(c)).u32(0));
    }
    Emf& select(std::uint32_t index) { return rec(EMR_SELECTOBJECT, Bytes().u32(index)); }
    Emf& nullPen() { return select(kStockObjectFlag | NULL_PEN); }

    // The frame in hundredths of a millimetre.
    QByteArray build(int left, int top, int right, int bottom) const
    {
        Bytes b;
        b.u32(EMR_HEADER).u32(88);
        b.i32(left * 96 / 2540).i32(top * 96 / 2540).i32(right * 96 / 2540).i32(bottom * 96 / 2540);
        b.i32(left).i32(top).i32(right).i32(bottom);
        b.u32(0x464D4520).u32(0x10000).u32(0).u32(std::uint32_t(count_ + 2)).u16(std::uint16_t(handles_)).u16(0);
        b.u32(0).u32(0).u32(0).i32(960).i32(960).i32(254).i32(254);
        b.raw(records_);
        b.u32(EMR_EOF).u32(20).u32(0).u32(16).u32(20);
        QByteArray out = b.data();
        Bytes size;
        size.u32(std::uint32_t(out.size()));
        out.replace(48, 4, size.data());
        return out;
    }

private:
    Bytes records_;
    int count_ = 0;
    int handles_;
};

// A 2 x 2 24-bit DIB (header and rows, bottom-up), one colour a pixel.
inline Bytes dib24(QRgb topLeft, QRgb topRight, QRgb bottomLeft, QRgb bottomRight)
{
    Bytes b;
    b.u32(40).i32(2).i32(2).u16(1).u16(24).u32(0).u32(16).i32(0).i32(0).u32(0).u32(0);
    auto px = [&b](QRgb c) { b.u8(qBlue(c)).u8(qGreen(c)).u8(qRed(c)); };
    px(bottomLeft);
    px(bottomRight);
    b.u16(0);
    px(topLeft);
    px(topRight);
    b.u16(0);
    return b;
}

} // namespace quorvel::test
