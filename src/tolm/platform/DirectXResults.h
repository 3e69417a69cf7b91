// The result codes of our DirectX stand-ins, in one list: it gives the constants the layers return and the
// names the messages show for them (Tolm::DirectXErrorName). Failures are negative: DirectDraw and
// Direct3D codes are of facility 0x876, DirectSound codes of facility 0x878, and a few constants are
// general COM codes. Where several constants share one code, the list names the code as the messages
// have always shown it and the other constants follow it as aliases.
#pragma once

#include <cstdint>

namespace Platform {

using HRESULT = int32_t;

constexpr HRESULT Failure(uint32_t facility, uint32_t code)
{
    return HRESULT(0x80000000u | (facility << 16) | code);
}

constexpr HRESULT DirectDrawCode(uint32_t code)
{
    return Failure(0x876, code);
}

constexpr HRESULT DirectSoundCode(uint32_t code)
{
    return Failure(0x878, code);
}

// X(name, value) for every named code.
#define PLATFORM_COM_RESULTS(X)                                                                                        \
    X(DDERR_UNSUPPORTED, 0x80004001u)                                                                                  \
    X(DSERR_NOINTERFACE, 0x80004002u)                                                                                  \
    X(DSERR_GENERIC, 0x80004005u)                                                                                      \
    X(DSERR_NOAGGREGATION, 0x80040110u)                                                                                \
    X(DDERR_NOTINITIALIZED, 0x800401F0u)                                                                               \
    X(E_OUTOFMEMORY, 0x8007000Eu)                                                                                      \
    X(DDERR_INVALIDPARAMS, 0x80070057u)

#define PLATFORM_DIRECTDRAW_RESULTS(X)                                                                                 \
    X(DDERR_ALREADYINITIALIZED, DirectDrawCode(5))                                                                     \
    X(DDERR_CANNOTATTACHSURFACE, DirectDrawCode(10))                                                                   \
    X(DDERR_CANNOTDETACHSURFACE, DirectDrawCode(20))                                                                   \
    X(DDERR_CURRENTLYNOTAVAIL, DirectDrawCode(40))                                                                     \
    X(DDERR_EXCEPTION, DirectDrawCode(55))                                                                             \
    X(DDERR_HEIGHTALIGN, DirectDrawCode(90))                                                                           \
    X(DDERR_INCOMPATIBLEPRIMARY, DirectDrawCode(95))                                                                   \
    X(DDERR_INVALIDCAPS, DirectDrawCode(100))                                                                          \
    X(DDERR_INVALIDCLIPLIST, DirectDrawCode(110))                                                                      \
    X(DDERR_INVALIDMODE, DirectDrawCode(120))                                                                          \
    X(DDERR_INVALIDOBJECT, DirectDrawCode(130))                                                                        \
    X(DDERR_INVALIDPIXELFORMAT, DirectDrawCode(145))                                                                   \
    X(DDERR_INVALIDRECT, DirectDrawCode(150))                                                                          \
    X(DDERR_LOCKEDSURFACES, DirectDrawCode(160))                                                                       \
    X(DDERR_NO3D, DirectDrawCode(170))                                                                                 \
    X(DDERR_NOALPHAHW, DirectDrawCode(180))                                                                            \
    X(DDERR_NOSTEREOHARDWARE, DirectDrawCode(181))                                                                     \
    X(DDERR_NOSURFACELEFT, DirectDrawCode(182))                                                                        \
    X(DDERR_NOCLIPLIST, DirectDrawCode(205))                                                                           \
    X(DDERR_NOCOLORCONVHW, DirectDrawCode(210))                                                                        \
    X(DDERR_NOCOOPERATIVELEVELSET, DirectDrawCode(212))                                                                \
    X(DDERR_NOCOLORKEY, DirectDrawCode(215))                                                                           \
    X(DDERR_NOCOLORKEYHW, DirectDrawCode(220))                                                                         \
    X(DDERR_NODIRECTDRAWSUPPORT, DirectDrawCode(222))                                                                  \
    X(DDERR_NOEXCLUSIVEMODE, DirectDrawCode(225))                                                                      \
    X(DDERR_NOFLIPHW, DirectDrawCode(230))                                                                             \
    X(DDERR_NOGDI, DirectDrawCode(240))                                                                                \
    X(DDERR_NOMIRRORHW, DirectDrawCode(250))                                                                           \
    X(DDERR_NOTFOUND, DirectDrawCode(255))                                                                             \
    X(DDERR_NOOVERLAYHW, DirectDrawCode(260))                                                                          \
    X(DDERR_OVERLAPPINGRECTS, DirectDrawCode(270))                                                                     \
    X(DDERR_NORASTEROPHW, DirectDrawCode(280))                                                                         \
    X(DDERR_NOROTATIONHW, DirectDrawCode(290))                                                                         \
    X(DDERR_NOSTRETCHHW, DirectDrawCode(310))                                                                          \
    X(DDERR_NOT4BITCOLOR, DirectDrawCode(316))                                                                         \
    X(DDERR_NOT4BITCOLORINDEX, DirectDrawCode(317))                                                                    \
    X(DDERR_NOT8BITCOLOR, DirectDrawCode(320))                                                                         \
    X(DDERR_NOTEXTUREHW, DirectDrawCode(330))                                                                          \
    X(DDERR_NOVSYNCHW, DirectDrawCode(335))                                                                            \
    X(DDERR_NOZBUFFERHW, DirectDrawCode(340))                                                                          \
    X(DDERR_NOZOVERLAYHW, DirectDrawCode(350))                                                                         \
    X(DDERR_OUTOFCAPS, DirectDrawCode(360))                                                                            \
    X(DDERR_OUTOFVIDEOMEMORY, DirectDrawCode(380))                                                                     \
    X(DDERR_OVERLAYCANTCLIP, DirectDrawCode(382))                                                                      \
    X(DDERR_OVERLAYCOLORKEYONLYONEACTIVE, DirectDrawCode(384))                                                         \
    X(DDERR_PALETTEBUSY, DirectDrawCode(387))                                                                          \
    X(DDERR_COLORKEYNOTSET, DirectDrawCode(400))                                                                       \
    X(DDERR_SURFACEALREADYATTACHED, DirectDrawCode(410))                                                               \
    X(DDERR_SURFACEALREADYDEPENDENT, DirectDrawCode(420))                                                              \
    X(DDERR_SURFACEBUSY, DirectDrawCode(430))                                                                          \
    X(DDERR_CANTLOCKSURFACE, DirectDrawCode(435))                                                                      \
    X(DDERR_SURFACEISOBSCURED, DirectDrawCode(440))                                                                    \
    X(DDERR_SURFACELOST, DirectDrawCode(450))                                                                          \
    X(DDERR_SURFACENOTATTACHED, DirectDrawCode(460))                                                                   \
    X(DDERR_TOOBIGHEIGHT, DirectDrawCode(470))                                                                         \
    X(DDERR_TOOBIGSIZE, DirectDrawCode(480))                                                                           \
    X(DDERR_TOOBIGWIDTH, DirectDrawCode(490))                                                                          \
    X(DDERR_UNSUPPORTEDFORMAT, DirectDrawCode(510))                                                                    \
    X(DDERR_UNSUPPORTEDMASK, DirectDrawCode(520))                                                                      \
    X(DDERR_INVALIDSTREAM, DirectDrawCode(521))                                                                        \
    X(DDERR_VERTICALBLANKINPROGRESS, DirectDrawCode(537))                                                              \
    X(DDERR_WASSTILLDRAWING, DirectDrawCode(540))                                                                      \
    X(DDERR_XALIGN, DirectDrawCode(560))                                                                               \
    X(DDERR_INVALIDDIRECTDRAWGUID, DirectDrawCode(561))                                                                \
    X(DDERR_DIRECTDRAWALREADYCREATED, DirectDrawCode(562))                                                             \
    X(DDERR_NODIRECTDRAWHW, DirectDrawCode(563))                                                                       \
    X(DDERR_PRIMARYSURFACEALREADYEXISTS, DirectDrawCode(564))                                                          \
    X(DDERR_NOEMULATION, DirectDrawCode(565))                                                                          \
    X(DDERR_REGIONTOOSMALL, DirectDrawCode(566))                                                                       \
    X(DDERR_CLIPPERISUSINGHWND, DirectDrawCode(567))                                                                   \
    X(DDERR_NOCLIPPERATTACHED, DirectDrawCode(568))                                                                    \
    X(DDERR_NOHWND, DirectDrawCode(569))                                                                               \
    X(DDERR_HWNDSUBCLASSED, DirectDrawCode(570))                                                                       \
    X(DDERR_HWNDALREADYSET, DirectDrawCode(571))                                                                       \
    X(DDERR_NOPALETTEATTACHED, DirectDrawCode(572))                                                                    \
    X(DDERR_NOPALETTEHW, DirectDrawCode(573))                                                                          \
    X(DDERR_BLTFASTCANTCLIP, DirectDrawCode(574))                                                                      \
    X(DDERR_NOBLTHW, DirectDrawCode(575))                                                                              \
    X(DDERR_NODDROPSHW, DirectDrawCode(576))                                                                           \
    X(DDERR_OVERLAYNOTVISIBLE, DirectDrawCode(577))                                                                    \
    X(DDERR_INVALIDPOSITION, DirectDrawCode(579))                                                                      \
    X(DDERR_NOTAOVERLAYSURFACE, DirectDrawCode(580))                                                                   \
    X(DDERR_EXCLUSIVEMODEALREADYSET, DirectDrawCode(581))                                                              \
    X(DDERR_NOTFLIPPABLE, DirectDrawCode(582))                                                                         \
    X(DDERR_CANTDUPLICATE, DirectDrawCode(583))                                                                        \
    X(DDERR_NOTLOCKED, DirectDrawCode(584))                                                                            \
    X(DDERR_CANTCREATEDC, DirectDrawCode(585))                                                                         \
    X(DDERR_NODC, DirectDrawCode(586))                                                                                 \
    X(DDERR_WRONGMODE, DirectDrawCode(587))                                                                            \
    X(DDERR_IMPLICITLYCREATED, DirectDrawCode(588))                                                                    \
    X(DDERR_NOTPALETTIZED, DirectDrawCode(589))                                                                        \
    X(DDERR_UNSUPPORTEDMODE, DirectDrawCode(590))                                                                      \
    X(DDERR_NOMIPMAPHW, DirectDrawCode(591))                                                                           \
    X(DDERR_INVALIDSURFACETYPE, DirectDrawCode(592))                                                                   \
    X(DDERR_NOOPTIMIZEHW, DirectDrawCode(600))                                                                         \
    X(DDERR_NOTLOADED, DirectDrawCode(601))                                                                            \
    X(DDERR_NOFOCUSWINDOW, DirectDrawCode(602))                                                                        \
    X(DDERR_DCALREADYCREATED, DirectDrawCode(620))                                                                     \
    X(DDERR_NONONLOCALVIDMEM, DirectDrawCode(630))                                                                     \
    X(DDERR_CANTPAGELOCK, DirectDrawCode(640))                                                                         \
    X(DDERR_CANTPAGEUNLOCK, DirectDrawCode(660))                                                                       \
    X(DDERR_NOTPAGELOCKED, DirectDrawCode(680))                                                                        \
    X(DDERR_MOREDATA, DirectDrawCode(690))                                                                             \
    X(DDERR_EXPIRED, DirectDrawCode(691))                                                                              \
    X(DDERR_VIDEONOTACTIVE, DirectDrawCode(695))                                                                       \
    X(DDERR_DEVICEDOESNTOWNSURFACE, DirectDrawCode(699))

#define PLATFORM_DIRECT3D_RESULTS(X)                                                                                   \
    X(D3DERR_BADMAJORVERSION, DirectDrawCode(700))                                                                     \
    X(D3DERR_BADMINORVERSION, DirectDrawCode(701))                                                                     \
    X(D3DERR_INVALID_DEVICE, DirectDrawCode(705))                                                                      \
    X(D3DERR_INITFAILED, DirectDrawCode(706))                                                                          \
    X(D3DERR_DEVICEAGGREGATED, DirectDrawCode(707))                                                                    \
    X(D3DERR_TEXTURE_NO_SUPPORT, DirectDrawCode(720))                                                                  \
    X(D3DERR_TEXTURE_CREATE_FAILED, DirectDrawCode(721))                                                               \
    X(D3DERR_TEXTURE_DESTROY_FAILED, DirectDrawCode(722))                                                              \
    X(D3DERR_TEXTURE_LOCK_FAILED, DirectDrawCode(723))                                                                 \
    X(D3DERR_TEXTURE_UNLOCK_FAILED, DirectDrawCode(724))                                                               \
    X(D3DERR_TEXTURE_LOAD_FAILED, DirectDrawCode(725))                                                                 \
    X(D3DERR_TEXTURE_SWAP_FAILED, DirectDrawCode(726))                                                                 \
    X(D3DERR_TEXTURE_LOCKED, DirectDrawCode(727))                                                                      \
    X(D3DERR_TEXTURE_NOT_LOCKED, DirectDrawCode(728))                                                                  \
    X(D3DERR_TEXTURE_GETSURF_FAILED, DirectDrawCode(729))                                                              \
    X(D3DERR_MATRIX_CREATE_FAILED, DirectDrawCode(730))                                                                \
    X(D3DERR_MATRIX_DESTROY_FAILED, DirectDrawCode(731))                                                               \
    X(D3DERR_MATRIX_SETDATA_FAILED, DirectDrawCode(732))                                                               \
    X(D3DERR_MATRIX_GETDATA_FAILED, DirectDrawCode(733))                                                               \
    X(D3DERR_SETVIEWPORTDATA_FAILED, DirectDrawCode(734))                                                              \
    X(D3DERR_INVALIDCURRENTVIEWPORT, DirectDrawCode(735))                                                              \
    X(D3DERR_INVALIDPRIMITIVETYPE, DirectDrawCode(736))                                                                \
    X(D3DERR_INVALIDVERTEXTYPE, DirectDrawCode(737))                                                                   \
    X(D3DERR_TEXTURE_BADSIZE, DirectDrawCode(738))                                                                     \
    X(D3DERR_INVALIDRAMPTEXTURE, DirectDrawCode(739))                                                                  \
    X(D3DERR_MATERIAL_CREATE_FAILED, DirectDrawCode(740))                                                              \
    X(D3DERR_MATERIAL_DESTROY_FAILED, DirectDrawCode(741))                                                             \
    X(D3DERR_MATERIAL_SETDATA_FAILED, DirectDrawCode(742))                                                             \
    X(D3DERR_MATERIAL_GETDATA_FAILED, DirectDrawCode(743))                                                             \
    X(D3DERR_INVALIDPALETTE, DirectDrawCode(744))                                                                      \
    X(D3DERR_ZBUFF_NEEDS_SYSTEMMEMORY, DirectDrawCode(745))                                                            \
    X(D3DERR_ZBUFF_NEEDS_VIDEOMEMORY, DirectDrawCode(746))                                                             \
    X(D3DERR_SURFACENOTINVIDMEM, DirectDrawCode(747))                                                                  \
    X(D3DERR_LIGHT_SET_FAILED, DirectDrawCode(750))                                                                    \
    X(D3DERR_LIGHTHASVIEWPORT, DirectDrawCode(751))                                                                    \
    X(D3DERR_LIGHTNOTINTHISVIEWPORT, DirectDrawCode(752))                                                              \
    X(D3DERR_SCENE_IN_SCENE, DirectDrawCode(760))                                                                      \
    X(D3DERR_SCENE_NOT_IN_SCENE, DirectDrawCode(761))                                                                  \
    X(D3DERR_SCENE_BEGIN_FAILED, DirectDrawCode(762))                                                                  \
    X(D3DERR_SCENE_END_FAILED, DirectDrawCode(763))                                                                    \
    X(D3DERR_INBEGIN, DirectDrawCode(770))                                                                             \
    X(D3DERR_NOTINBEGIN, DirectDrawCode(771))                                                                          \
    X(D3DERR_NOVIEWPORTS, DirectDrawCode(772))                                                                         \
    X(D3DERR_VIEWPORTDATANOTSET, DirectDrawCode(773))                                                                  \
    X(D3DERR_VIEWPORTHASNODEVICE, DirectDrawCode(774))                                                                 \
    X(D3DERR_NOCURRENTVIEWPORT, DirectDrawCode(775))                                                                   \
    X(D3DERR_INVALIDVERTEXFORMAT, DirectDrawCode(2048))                                                                \
    X(D3DERR_COLORKEYATTACHED, DirectDrawCode(2050))                                                                   \
    X(D3DERR_VERTEXBUFFEROPTIMIZED, DirectDrawCode(2060))                                                              \
    X(D3DERR_VBUF_CREATE_FAILED, DirectDrawCode(2061))                                                                 \
    X(D3DERR_VERTEXBUFFERLOCKED, DirectDrawCode(2062))                                                                 \
    X(D3DERR_VERTEXBUFFERUNLOCKFAILED, DirectDrawCode(2063))                                                           \
    X(D3DERR_ZBUFFER_NOTPRESENT, DirectDrawCode(2070))                                                                 \
    X(D3DERR_STENCILBUFFER_NOTPRESENT, DirectDrawCode(2071))                                                           \
    X(D3DERR_WRONGTEXTUREFORMAT, DirectDrawCode(2072))                                                                 \
    X(D3DERR_UNSUPPORTEDCOLOROPERATION, DirectDrawCode(2073))                                                          \
    X(D3DERR_UNSUPPORTEDCOLORARG, DirectDrawCode(2074))                                                                \
    X(D3DERR_UNSUPPORTEDALPHAOPERATION, DirectDrawCode(2075))                                                          \
    X(D3DERR_UNSUPPORTEDALPHAARG, DirectDrawCode(2076))                                                                \
    X(D3DERR_TOOMANYOPERATIONS, DirectDrawCode(2077))                                                                  \
    X(D3DERR_CONFLICTINGTEXTUREFILTER, DirectDrawCode(2078))                                                           \
    X(D3DERR_UNSUPPORTEDFACTORVALUE, DirectDrawCode(2079))                                                             \
    X(D3DERR_CONFLICTINGRENDERSTATE, DirectDrawCode(2081))                                                             \
    X(D3DERR_UNSUPPORTEDTEXTUREFILTER, DirectDrawCode(2082))                                                           \
    X(D3DERR_TOOMANYPRIMITIVES, DirectDrawCode(2083))                                                                  \
    X(D3DERR_INVALIDMATRIX, DirectDrawCode(2084))                                                                      \
    X(D3DERR_CONFLICTINGTEXTUREPALETTE, DirectDrawCode(2086))                                                          \
    X(D3DERR_INVALIDSTATEBLOCK, DirectDrawCode(2100))                                                                  \
    X(D3DERR_INBEGINSTATEBLOCK, DirectDrawCode(2101))                                                                  \
    X(D3DERR_NOTINBEGINSTATEBLOCK, DirectDrawCode(2102))

#define PLATFORM_DIRECTSOUND_RESULTS(X)                                                                                \
    X(DSERR_ALLOCATED, DirectSoundCode(10))                                                                            \
    X(DSERR_CONTROLUNAVAIL, DirectSoundCode(30))                                                                       \
    X(DSERR_INVALIDCALL, DirectSoundCode(50))                                                                          \
    X(DSERR_PRIOLEVELNEEDED, DirectSoundCode(70))                                                                      \
    X(DSERR_BADFORMAT, DirectSoundCode(100))                                                                           \
    X(DSERR_NODRIVER, DirectSoundCode(120))                                                                            \
    X(DSERR_ALREADYINITIALIZED, DirectSoundCode(130))                                                                  \
    X(DSERR_BUFFERLOST, DirectSoundCode(150))                                                                          \
    X(DSERR_OTHERAPPHASPRIO, DirectSoundCode(160))                                                                     \
    X(DSERR_UNINITIALIZED, DirectSoundCode(170))

#define PLATFORM_DIRECTX_RESULTS(X)                                                                                    \
    PLATFORM_COM_RESULTS(X)                                                                                            \
    PLATFORM_DIRECTDRAW_RESULTS(X)                                                                                     \
    PLATFORM_DIRECT3D_RESULTS(X)                                                                                       \
    PLATFORM_DIRECTSOUND_RESULTS(X)

#define PLATFORM_DECLARE_RESULT(name, value) constexpr HRESULT name = HRESULT(value);
PLATFORM_DIRECTX_RESULTS(PLATFORM_DECLARE_RESULT)
#undef PLATFORM_DECLARE_RESULT

constexpr HRESULT DD_OK = 0;
// Aliases of listed codes.
constexpr HRESULT E_NOINTERFACE = DSERR_NOINTERFACE;
constexpr HRESULT DDERR_GENERIC = DSERR_GENERIC;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;

constexpr bool Failed(HRESULT result)
{
    return result < 0;
}

} // namespace Platform
