#include "printers/MyBuffer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kInitialCapacity = 1024;
constexpr int kDefaultMaximum = 104857600;  // 100 MiB
}  // namespace

CMyBuffer::CMyBuffer() {
    m_nMaxSize = kDefaultMaximum;
    SetBufferSize(kInitialCapacity);
    InitBuffer(0);
}

CMyBuffer::~CMyBuffer() {
    std::free(m_pData);
    m_pData = nullptr;
    m_nLength = m_nCapacity = m_nMaxSize = 0;
}

void CMyBuffer::SetBufferSize(int size) {
    if (size < 0) size = 0;
    if (m_pData && m_nCapacity >= size) return;
    // realloc(nullptr, n) allocates; a zero-size request still gets a block.
    void* grown = std::realloc(m_pData, size > 0 ? static_cast<size_t>(size) : 1);
    if (!grown) return;  // out of memory: keep what we have; appends check the room
    m_pData = static_cast<unsigned char*>(grown);
    m_nCapacity = size;
}

void CMyBuffer::InitBuffer(int size) {
    if (size > 0)
        SetBufferSize(size);
    else
        size = 0;
    if (m_nCapacity > 0) std::memset(m_pData, 0, static_cast<size_t>(m_nCapacity));
    m_nLength = size;
}

void CMyBuffer::AddBuffer(const void* data, int count) {
    if (count <= 0 || !data) return;
    long long needed = static_cast<long long>(m_nLength) + count;
    if (m_nCapacity < needed) {
        if (m_nMaxSize > 0 && needed > m_nMaxSize) {
            // Over the maximum: drop the old content and start again at 0.
            InitBuffer(0);
            needed = count;
            if (m_nCapacity < count) SetBufferSize(count);
        } else {
            if (needed > 0x7FFFFFFF) return;
            SetBufferSize(static_cast<int>(needed));
        }
        if (m_nCapacity < needed) return;  // allocation failed: the append is dropped
    }
    std::memcpy(m_pData + m_nLength, data, static_cast<size_t>(count));
    m_nLength += count;
}

void CMyBuffer::AddStringA(const char* text) {
    if (text) AddBuffer(text, static_cast<int>(std::strlen(text)));
}

void CMyBuffer::AddInt(int value) {
    char text[16];
    int n = std::snprintf(text, sizeof text, "%d", value);
    AddBuffer(text, n);
}
