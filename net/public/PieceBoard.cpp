#include "net/public/PieceBoard.h"

#include <algorithm>

#include "net/public/HttpResponseInfo.h"

namespace {

// A race is worth a second connection only when the piece has this much left.
constexpr int64_t kMinRace = 64 * 1024;

}  // namespace

void TPieceBoard::Open(TFileHandle file, int64_t total, const TByteRanges& have, int64_t limit) {
    std::lock_guard<std::mutex> hold(FLock);
    FFile = std::move(file);
    FTotal = total;
    FLimit = limit;
    FHave = total > 0 ? have : TByteRanges();
    FPieces.clear();
    if (total <= 0) {
        AddPiece(0, limit + 1);
        return;
    }
    for (const TByteRange& gap : FHave.Missing(total)) AddPiece(gap.First, gap.Last + 1);
}

TClaim TPieceBoard::Restart(int64_t total) {
    std::lock_guard<std::mutex> hold(FLock);
    FTotal = total;
    FHave = TByteRanges();
    FPieces.clear();
    const int id = AddPiece(0, total > 0 ? total : FLimit + 1);
    FPieces.back().Owners = 1;
    if (FFile) {
        LARGE_INTEGER zero{};
        SetFilePointerEx(FFile.Get(), zero, nullptr, FILE_BEGIN);
        SetEndOfFile(FFile.Get());
    }
    return {id, 0, FPieces.back().End, false};
}

TByteRanges TPieceBoard::Close() {
    std::lock_guard<std::mutex> hold(FLock);
    FFile.Reset();
    FPieces.clear();
    return FHave;
}

int TPieceBoard::AddPiece(int64_t pos, int64_t end) {
    FPieces.push_back({FNextId, pos, end, 0});
    return FNextId++;
}

TPieceBoard::TPiece* TPieceBoard::Find(int id) {
    for (TPiece& piece : FPieces)
        if (piece.Id == id) return &piece;
    return nullptr;
}

const TPieceBoard::TPiece* TPieceBoard::Find(int id) const { return const_cast<TPieceBoard*>(this)->Find(id); }

bool TPieceBoard::Claim(bool race, TClaim& claim) {
    std::lock_guard<std::mutex> hold(FLock);
    claim = TClaim();
    if (!FFile) return false;
    TPiece* largest = nullptr;
    for (TPiece& piece : FPieces) {
        if (piece.Owners == 0) {
            ++piece.Owners;
            claim = {piece.Id, piece.Pos, piece.End, false};
            return true;
        }
        if (!largest || piece.End - piece.Pos > largest->End - largest->Pos) largest = &piece;
    }
    if (!largest || FTotal <= 0) return false;
    const int64_t left = largest->End - largest->Pos;
    if (left >= 2 * kMinPiece) {
        const int64_t middle = largest->Pos + left / 2;
        const int64_t end = largest->End;
        largest->End = middle;
        const int id = AddPiece(middle, end);
        FPieces.back().Owners = 1;
        claim = {id, middle, end, false};
        return true;
    }
    if (!race || largest->Owners > 1 || left < kMinRace) return false;
    ++largest->Owners;
    claim = {largest->Id, largest->Pos, largest->End, true};
    return true;
}

bool TPieceBoard::HasWork(bool race) const {
    std::lock_guard<std::mutex> hold(FLock);
    if (!FFile) return false;
    for (const TPiece& piece : FPieces) {
        const int64_t left = piece.End - piece.Pos;
        if (piece.Owners == 0 || (FTotal > 0 && left >= 2 * kMinPiece)) return true;
        if (race && FTotal > 0 && piece.Owners == 1 && left >= kMinRace) return true;
    }
    return false;
}

void TPieceBoard::Release(const TClaim& claim) {
    std::lock_guard<std::mutex> hold(FLock);
    if (TPiece* piece = Find(claim.Piece)) piece->Owners = std::max(0, piece->Owners - 1);
}

int64_t TPieceBoard::EndOf(const TClaim& claim) const {
    std::lock_guard<std::mutex> hold(FLock);
    const TPiece* piece = Find(claim.Piece);
    return piece ? piece->End : claim.From;
}

bool TPieceBoard::WriteAt(int64_t at, const char* data, DWORD size) {
    LARGE_INTEGER offset{};
    offset.QuadPart = at;
    DWORD written = 0;
    if (SetFilePointerEx(FFile.Get(), offset, nullptr, FILE_BEGIN) &&
        WriteFile(FFile.Get(), data, size, &written, nullptr) && written == size)
        return true;
    FWriteError = L"写文件失败:" + sys::SysErrorMessage(::GetLastError());
    return false;
}

bool TPieceBoard::Write(const TClaim& claim, int64_t at, const char* data, DWORD size, int64_t& counted) {
    std::lock_guard<std::mutex> hold(FLock);
    counted = 0;
    TPiece* piece = Find(claim.Piece);
    if (!FFile || !piece || !FWriteError.empty()) return false;
    const int64_t end = std::min<int64_t>(at + size, piece->End);
    if (at <= piece->Pos && end > piece->Pos) {
        const int64_t skip = piece->Pos - at;
        if (!WriteAt(piece->Pos, data + skip, static_cast<DWORD>(end - piece->Pos))) return false;
        counted = end - piece->Pos;
        FHave.Add(piece->Pos, end - 1);
        piece->Pos = end;
    }
    if (piece->Pos < piece->End) return true;
    FPieces.erase(FPieces.begin() + (piece - FPieces.data()));
    return false;
}

void TPieceBoard::EndStream(int64_t size) {
    std::lock_guard<std::mutex> hold(FLock);
    if (FTotal > 0) return;
    FTotal = size;
    FPieces.clear();
}

bool TPieceBoard::Complete() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FPieces.empty() && (FTotal > 0 ? FHave.Covers(FTotal) : true);
}

int64_t TPieceBoard::Downloaded() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FHave.Bytes();
}

int64_t TPieceBoard::Total() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FTotal;
}

TByteRanges TPieceBoard::Have() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FHave;
}

std::wstring TPieceBoard::WriteError() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FWriteError;
}
