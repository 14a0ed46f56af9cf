// The viewer's OpenGL 1.1 window (WGL), its frame loop and the screenshot.
#include <windows.h>

#include <GL/gl.h>

#include <cstdio>

#include "platform/text.h"
#include "resdata/texture_view.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace {

const wchar_t kClassName[] = L"SkarvelHost";

// Written by the window procedure, read by the frame loop; both on this thread.
struct ViewerWindow {
  int client_width = 640;
  int client_height = 480;
};

LRESULT CALLBACK ViewerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* state = reinterpret_cast<ViewerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      if (state) {
        state->client_width = LOWORD(lp) ? LOWORD(lp) : 1;
        state->client_height = HIWORD(lp) ? HIWORD(lp) : 1;
      }
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

void DrawQuad(float x, float y, float w, float h) {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(x, y);
  glTexCoord2f(1, 0);
  glVertex2f(x + w, y);
  glTexCoord2f(1, 1);
  glVertex2f(x + w, y + h);
  glTexCoord2f(0, 1);
  glVertex2f(x, y + h);
  glEnd();
}

void DrawFrame(const std::vector<DecodedTexture>& textures, const std::vector<GLuint>& names, int cw, int ch) {
  glViewport(0, 0, cw, ch);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, cw, ch, 0, -1, 1);  // origin top left, y down
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, 1);

  float thumb_x = 8;
  for (size_t i = 0; i < textures.size(); ++i) {
    const float tw = float(textures[i].width), th = float(textures[i].height);
    if (tw <= 0 || th <= 0) continue;
    glBindTexture(GL_TEXTURE_2D, names[i]);
    if (i == 0) {
      const float box_w = float(cw - 32), box_h = float(ch - 96);
      if (box_w <= 0 || box_h <= 0) continue;
      const float scale = box_w / tw < box_h / th ? box_w / tw : box_h / th;
      const float w = tw * scale, h = th * scale;
      DrawQuad((float(cw) - w) / 2, (box_h - h) / 2 + 8, w, h);
    } else {
      const float h = th < 80 ? th : 80;
      const float w = tw * h / th;
      DrawQuad(thumb_x, float(ch) - 8 - h, w, h);
      thumb_x += w + 8;
    }
  }
}

bool SaveScreenshot(const std::string& path, int cw, int ch) {
  glFinish();
  std::vector<uint8_t> bgr(size_t(cw) * size_t(ch) * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, cw, ch, GL_BGR_EXT, GL_UNSIGNED_BYTE, bgr.data());  // bottom row first
  return WriteBmp24(path, cw, ch, bgr);
}

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

}  // namespace

bool WriteBmp24(const std::string& path, int width, int height, const std::vector<uint8_t>& bgr) {
  if (width <= 0 || height <= 0 || bgr.size() < size_t(width) * size_t(height) * 3) return false;
  const size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
  const size_t image = row * size_t(height);
  uint8_t header[54] = {'B', 'M'};
  Put32(header + 2, uint32_t(54 + image));
  Put32(header + 10, 54);
  Put32(header + 14, 40);
  Put32(header + 18, uint32_t(width));
  Put32(header + 22, uint32_t(height));  // positive: bottom-up
  header[26] = 1;                         // planes
  header[28] = 24;                        // bits per pixel; compression 0
  Put32(header + 34, uint32_t(image));

  const std::wstring final_path = text::Utf8ToWide(path);
  const std::wstring temp_path = final_path + L".tmp";
  FILE* f = _wfopen(temp_path.c_str(), L"wb");
  if (!f) return false;
  bool ok = fwrite(header, 1, sizeof header, f) == sizeof header;
  const uint8_t padding[3] = {0, 0, 0};
  for (int y = 0; ok && y < height; ++y) {
    ok = fwrite(bgr.data() + size_t(y) * size_t(width) * 3, 1, size_t(width) * 3, f) == size_t(width) * 3 &&
         fwrite(padding, 1, row - size_t(width) * 3, f) == row - size_t(width) * 3;
  }
  ok = fclose(f) == 0 && ok;
  if (ok) ok = MoveFileExW(temp_path.c_str(), final_path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  if (!ok) DeleteFileW(temp_path.c_str());
  return ok;
}

int ShowTexturesInWindow(const std::vector<DecodedTexture>& textures, const std::string& title,
                         const std::string& screenshot) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc = {};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = ViewerProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);  // fails harmlessly when already registered

  ViewerWindow state;
  RECT r = {0, 0, state.client_width, state.client_height};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  AdjustWindowRect(&r, style, FALSE);
  HWND hwnd = CreateWindowW(kClassName, text::Utf8ToWide(title).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                            r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  if (!hwnd) {
    fprintf(stderr, "The viewer window could not be opened (error %lu).\n", GetLastError());
    return 1;
  }
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  RECT client;
  if (GetClientRect(hwnd, &client)) {
    state.client_width = client.right > 0 ? int(client.right) : 1;
    state.client_height = client.bottom > 0 ? int(client.bottom) : 1;
  }

  HDC dc = GetDC(hwnd);
  PIXELFORMATDESCRIPTOR pfd = {};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 32;
  pfd.cAlphaBits = 8;
  pfd.cDepthBits = 0;
  pfd.iLayerType = PFD_MAIN_PLANE;
  const int format = ChoosePixelFormat(dc, &pfd);
  HGLRC gl = nullptr;
  if (format == 0 || !SetPixelFormat(dc, format, &pfd) || !(gl = wglCreateContext(dc)) || !wglMakeCurrent(dc, gl)) {
    fprintf(stderr, "OpenGL is not available for the viewer window (error %lu).\n", GetLastError());
    if (gl) wglDeleteContext(gl);
    ReleaseDC(hwnd, dc);
    DestroyWindow(hwnd);
    return 1;
  }
  const char* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  printf("GL: %s / %s\n", vendor ? vendor : "?", renderer ? renderer : "?");
  fflush(stdout);

  std::vector<GLuint> names(textures.size());
  glGenTextures(GLsizei(names.size()), names.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (size_t i = 0; i < textures.size(); ++i) {
    glBindTexture(GL_TEXTURE_2D, names[i]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textures[i].width, textures[i].height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 textures[i].pixels.data());
  }

  for (int frame = 1;; ++frame) {
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) quit = true;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (quit) break;
    DrawFrame(textures, names, state.client_width, state.client_height);
    if (!screenshot.empty() && frame == 3) {
      if (SaveScreenshot(screenshot, state.client_width, state.client_height))
        printf("saved %s\n", screenshot.c_str());
      else
        printf("could not write %s\n", screenshot.c_str());
      fflush(stdout);
      break;
    }
    SwapBuffers(dc);
    Sleep(16);
  }

  glDeleteTextures(GLsizei(names.size()), names.data());
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(gl);
  ReleaseDC(hwnd, dc);
  DestroyWindow(hwnd);
  return 0;
}
