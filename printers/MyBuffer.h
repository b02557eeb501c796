#pragma once

// Growable contiguous byte array. Page data and printer command streams are
// assembled in it. Growth is exact-fit; callers that know the final size
// pre-size with SetBufferSize.
class CMyBuffer {
public:
    CMyBuffer();
    virtual ~CMyBuffer();

    CMyBuffer(const CMyBuffer&) = delete;
    CMyBuffer& operator=(const CMyBuffer&) = delete;

    unsigned char* GetBuffer() const { return m_pData; }
    int GetBufferLength() const { return m_nLength; }
    int GetBufferCapacity() const { return m_nCapacity; }

    void SetMaxBufferSize(int maximum) { m_nMaxSize = maximum; }
    void SetBufferSize(int size);
    void InitBuffer(int size);

    void AddBuffer(const void* data, int count);
    void AddByte(unsigned char b) { AddBuffer(&b, 1); }
    void AddStringA(const char* text);
    void AddInt(int value);

private:
    int m_nLength = 0;
    unsigned char* m_pData = nullptr;
    int m_nCapacity = 0;
    int m_nMaxSize = 0;
};
