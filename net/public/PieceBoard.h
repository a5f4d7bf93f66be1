#pragma once
// Which bytes of a download are on disk, which are being fetched and by whom, and the one file
// they are written to. Every connection of a run writes through it, so a byte is written and
// counted once however many connections carry it, and nothing is written after the run closed.
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "net/public/ByteRanges.h"
#include "sys/Handles.h"

// A connection's share of the work: the piece it fetches from Pos on.
struct TClaim {
    int Piece = -1;        // -1: no work
    int64_t From = 0;      // the first byte to ask for
    int64_t End = 0;       // one past the last byte the piece held when claimed
    bool Race = false;     // a second connection on the slowest piece at the end
};

class TPieceBoard {
public:
    // Pieces are never split below this: smaller requests cost more than they save.
    static constexpr int64_t kMinPiece = 1 << 20;

    // The file to write and what it already holds; total 0 when the length is not known (the
    // run then has one piece up to the size limit).
    void Open(TFileHandle file, int64_t total, const TByteRanges& have, int64_t limit);
    // Forgets every byte: a mirror that answered a range with the whole file starts over at 0.
    // The one piece left is the caller's.
    TClaim Restart(int64_t total);
    // Closes the file; any later write is refused. Returns what is on disk.
    TByteRanges Close();

    // A piece nobody holds, else the second half of the largest piece in flight, else (when
    // race) the rest of the piece with most bytes left, fetched again; false when none.
    bool Claim(bool race, TClaim& claim);
    void Release(const TClaim& claim);
    // Writes the bytes at `at` that the claim's piece still lacks. False once the claim is over
    // (its piece complete, taken by the other racer, or the board closed) or a write failed.
    bool Write(const TClaim& claim, int64_t at, const char* data, DWORD size, int64_t& counted);
    // Where the claim's piece ends now (a split moves it); its bytes past that are not wanted.
    int64_t EndOf(const TClaim& claim) const;
    // The whole-file stream of a mirror without ranges or length ended after `size` bytes.
    void EndStream(int64_t size);

    bool Complete() const;
    bool HasWork(bool race) const;
    int64_t Downloaded() const;
    int64_t Total() const;
    TByteRanges Have() const;
    std::wstring WriteError() const;

private:
    struct TPiece {
        int Id = 0;
        int64_t Pos = 0;
        int64_t End = 0;
        int Owners = 0;
    };
    TPiece* Find(int id);
    const TPiece* Find(int id) const;
    int AddPiece(int64_t pos, int64_t end);
    bool WriteAt(int64_t at, const char* data, DWORD size);

    mutable std::mutex FLock;
    TFileHandle FFile;
    std::vector<TPiece> FPieces;
    TByteRanges FHave;
    int64_t FTotal = 0;
    int64_t FLimit = 0;
    int FNextId = 0;
    std::wstring FWriteError;
};
